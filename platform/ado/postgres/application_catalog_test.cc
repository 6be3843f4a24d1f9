// The application catalog as the PostgreSQL provider consults it: the column names it
// quotes and the table it reads the spelling of result columns from.

#include "platform/ado/application_catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/field.h"
#include "platform/ado/postgres/dialect.h"
#include "platform/ado/postgres/pg_test_support.h"
#include "platform/ado/recordset.h"

namespace {

using pg_test::PgTest;

// Sets a catalog for one test and puts the program's back.
class ScopedCatalog {
 public:
  explicit ScopedCatalog(ado::ApplicationCatalog catalog) { ado::SetApplicationCatalog(std::move(catalog)); }
  ~ScopedCatalog() { ado::SetApplicationCatalog(ado_test::ManufacturingLikeCatalog()); }
  ScopedCatalog(const ScopedCatalog&) = delete;
  ScopedCatalog& operator=(const ScopedCatalog&) = delete;
};

TEST(ApplicationCatalogTest, OnlyTheColumnsTheApplicationNamesAreQuoted) {
  struct Case {
    std::vector<std::string> reserved;
    const char* out;
  };
  const char* in = "select a.OffSet, Level from T a order by offset, level offset 5 rows";
  const Case cases[] = {
      {{}, "select a.OffSet, Level from T a order by offset, level offset 5 rows"},
      {{"OffSet"}, "select a.\"offset\", Level from T a order by \"offset\", level offset 5 rows"},
      {{"offset", "LEVEL"}, "select a.\"offset\", \"level\" from T a order by \"offset\", \"level\" offset 5 rows"},
  };
  for (const Case& c : cases) {
    ScopedCatalog catalog({"", c.reserved});
    ado::postgres::Translation t = ado::postgres::Translate(in);
    ASSERT_EQ(t.statements.size(), 1u);
    EXPECT_EQ(t.statements[0].sql, c.out) << c.reserved.size();
  }
}

TEST(ApplicationCatalogTest, ReservedColumnsMatchWithoutRegardToCase) {
  ado::ApplicationCatalog catalog{"", {"OffSet"}};
  EXPECT_TRUE(catalog.IsReservedColumn("offset"));
  EXPECT_TRUE(catalog.IsReservedColumn("OFFSET"));
  EXPECT_FALSE(catalog.IsReservedColumn("offsets"));
  EXPECT_FALSE(ado::ApplicationCatalog{}.IsReservedColumn("OffSet"));
}

// The spelling table is the one the catalog names, read by a session opened after the
// catalog was set; with none, names stay as the server folds them.
TEST_F(PgTest, ResultColumnsTakeTheSpellingOfTheTableTheCatalogNames) {
  db_->Execute(
      "create table mom_sample (MoDId int, cFixed char(4));"
      "create table sys_identifier (name varchar(128));"
      "insert into sys_identifier values ('MoDId');"
      "create table app_spellings (name varchar(128));"
      "insert into app_spellings values ('cFixed')");
  struct Case {
    const char* table;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"sys_identifier", "MoDId", "cfixed"},
      {"app_spellings", "modid", "cFixed"},
      {"", "modid", "cfixed"},
      {"no_such_table", "modid", "cfixed"},
  };
  for (const Case& c : cases) {
    ScopedCatalog catalog({c.table, {}});
    auto session = pg_test::OpenConnection(cs_);
    auto rs = session->Execute("select * from mom_sample");
    EXPECT_EQ(rs->fields().Item(0).Name(), c.first) << c.table;
    EXPECT_EQ(rs->fields().Item(1).Name(), c.second) << c.table;
  }
}

}  // namespace
