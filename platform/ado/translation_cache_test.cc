// The per-connection cache of translated statement texts.

#include "platform/ado/translation_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ado/ado_test_support.h"
#include "testing/test_support.h"

namespace ado {
namespace {

TEST(TranslationCacheTest, TranslatesEachKeptTextOnce) {
  TranslationCache cache(/*capacity=*/2);
  std::vector<std::string> translated;  // what the translator was asked for, in order
  auto translator = [&](std::string_view sql, bool* cacheable) {
    translated.emplace_back(sql);
    if (sql.find("into") != std::string_view::npos) *cacheable = false;  // reads the schema
    return "T(" + std::string(sql) + ")";
  };
  struct Step {
    const char* sql;
    const char* expected;
  } steps[] = {
      {"a", "T(a)"},                       // translated, kept
      {"a", "T(a)"},                       // kept
      {"select into", "T(select into)"},  // never kept
      {"select into", "T(select into)"},
      {"b", "T(b)"},  // kept: two texts now
      {"c", "T(c)"},  // full: starts afresh with c
      {"a", "T(a)"},  // translated again
      {"c", "T(c)"},
  };
  for (const Step& s : steps) EXPECT_EQ(*cache.Translate(s.sql, translator), s.expected) << s.sql;
  EXPECT_EQ(translated, (std::vector<std::string>{"a", "select into", "select into", "b", "c", "a"}));
  EXPECT_EQ(cache.size(), 2u);
}

TEST(TranslationCacheTest, AKeptTranslationOutlivesAClearing) {
  TranslationCache cache(/*capacity=*/1);
  auto translator = [](std::string_view sql, bool*) { return std::string(sql) + "!"; };
  auto first = cache.Translate("x", translator);
  cache.Translate("y", translator);  // clears x from the cache
  EXPECT_EQ(*first, "x!");
}

// A SELECT INTO copies the declared types of the table as it stands when it runs.
TEST(TranslationCacheTest, SelectIntoSeesTheSchemaOfItsRun) {
  testing_support::TempDir dir;
  com::Ptr<Connection> conn = ado_test::Open(dir.File("t.db"), /*create=*/true);
  conn->Execute("CREATE TABLE src (a VARCHAR(5))");
  conn->Execute("INSERT INTO src VALUES ('x')");
  const char* copy = "select a into #copy from src";
  conn->Execute(copy);
  conn->Execute("DROP TABLE #copy");
  conn->Execute("DROP TABLE src");
  conn->Execute("CREATE TABLE src (a INTEGER)");
  conn->Execute("INSERT INTO src VALUES (7)");
  conn->Execute(copy);
  com::Ptr<Recordset> rs = conn->Execute("select type from pragma_table_info('#copy', 'temp')");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->fields().Item(0).Value().ToString(), "INTEGER");
}

}  // namespace
}  // namespace ado
