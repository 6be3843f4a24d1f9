// Creating database files and the row versions the schema keeps.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

#include "database/database_test_support.h"
#include "database/manufacturing_db.h"
#include "testing/test_support.h"

namespace {

using database_testing::SqliteFile;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CreateDatabaseTest, RefusesAnExistingFileUnlessToldToOverwrite) {
  testing_support::TempDir dir;
  const std::string path = dir.File("mom.db");
  database::CreateDatabase(path, /*with_sample=*/true, /*overwrite=*/false);
  const std::string made = ReadFile(path);

  EXPECT_THROW(database::CreateDatabase(path, false, false), std::runtime_error);
  EXPECT_EQ(ReadFile(path), made);

  database::CreateDatabase(path, /*with_sample=*/false, /*overwrite=*/true);
  SqliteFile db(path);
  EXPECT_EQ(db.Int("SELECT count(*) FROM mom_orderdetail"), 0);
  EXPECT_EQ(db.Counter(), 2000);
  EXPECT_EQ(db.Int("PRAGMA user_version"), database::kSchemaVersion);

  // Nor does it touch what is not its own.
  const std::string text_file = dir.File("notes.txt");
  std::ofstream(text_file) << "not a database";
  EXPECT_THROW(database::CreateDatabase(text_file, true, false), std::runtime_error);
  EXPECT_EQ(ReadFile(text_file), "not a database");
  const std::string folder = dir.File("folder");
  std::filesystem::create_directory(folder);
  EXPECT_THROW(database::CreateDatabase(folder, true, /*overwrite=*/true), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

class RowVersionTest : public ::testing::Test {
 protected:
  void SetUp() override { database::CreateDatabase(path_, /*with_sample=*/false, /*overwrite=*/false); }

  testing_support::TempDir dir_;
  std::string path_ = dir_.File("mom.db");
};

TEST_F(RowVersionTest, EveryWriteTakesTheNextValueOfTheOneCounter) {
  SqliteFile db(path_);
  struct Step {
    const char* sql;
    const char* row;  // query for the written row's Krts
  };
  const Step steps[] = {
      {"INSERT INTO mom_order (MoId, MoCode) VALUES (1, 'A')", "SELECT Krts FROM mom_order WHERE MoId = 1"},
      {"INSERT INTO mom_orderdetail (MoDId, MoId, InvCode, Qty) VALUES (10, 1, 'X', 5)",
       "SELECT Krts FROM mom_orderdetail WHERE MoDId = 10"},
      {"INSERT INTO so_somain (id, cSOCode) VALUES (7, 'SO')", "SELECT Krts FROM so_somain WHERE id = 7"},
      {"UPDATE mom_order SET CreateUser = 'u' WHERE MoId = 1", "SELECT Krts FROM mom_order WHERE MoId = 1"},
      // A statement that changes no value still counts as a write.
      {"UPDATE mom_order SET MoCode = MoCode WHERE MoId = 1", "SELECT Krts FROM mom_order WHERE MoId = 1"},
      {"UPDATE so_somain SET cCloser = 'c'", "SELECT Krts FROM so_somain WHERE id = 7"},
      // Writing Krts itself does not get around the counter.
      {"UPDATE mom_orderdetail SET Krts = 1 WHERE MoDId = 10", "SELECT Krts FROM mom_orderdetail WHERE MoDId = 10"},
      {"UPDATE mom_orderdetail SET Krts = Krts, Qty = 6 WHERE MoDId = 10",
       "SELECT Krts FROM mom_orderdetail WHERE MoDId = 10"},
      {"INSERT INTO mom_order (MoId, MoCode, Krts) VALUES (2, 'B', 99)", "SELECT Krts FROM mom_order WHERE MoId = 2"},
  };
  int64_t expected = 2000;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.sql);
    db.Exec(step.sql);
    ++expected;
    EXPECT_EQ(db.Counter(), expected);
    EXPECT_EQ(db.Int(step.row), expected);
  }
}

TEST_F(RowVersionTest, EachRowOfAMultiRowUpdateGetsItsOwnValue) {
  SqliteFile db(path_);
  db.Exec("INSERT INTO mom_order (MoId, MoCode) VALUES (1, 'A'), (2, 'B'), (3, 'C')");
  db.Exec("UPDATE mom_order SET CreateUser = 'u'");
  EXPECT_EQ(db.Counter(), 2006);
  EXPECT_EQ(db.Int("SELECT count(DISTINCT Krts) FROM mom_order WHERE Krts > 2003"), 3);
  EXPECT_EQ(db.Int("SELECT max(Krts) FROM mom_order"), 2006);
}

TEST_F(RowVersionTest, RecursiveTriggersDoNotMakeTheTriggerLoop) {
  SqliteFile db(path_);
  db.Exec("PRAGMA recursive_triggers = ON");
  db.Exec("INSERT INTO mom_order (MoId, MoCode) VALUES (1, 'A')");
  db.Exec("UPDATE mom_order SET CreateUser = 'u'");
  EXPECT_EQ(db.Counter(), 2002);
  EXPECT_EQ(db.Int("SELECT Krts FROM mom_order"), 2002);
}

// Every table with a Krts column, found from the schema itself so that a table added
// without its triggers is caught.
std::vector<std::string> VersionedTables(SqliteFile& db) {
  std::vector<std::string> tables;
  for (const auto& row : db.Rows(
           "SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) c "
           "WHERE m.type = 'table' AND c.name = 'Krts' ORDER BY m.name"))
    tables.push_back(row[0]);
  return tables;
}

TEST(SampleRowVersionTest, EveryVersionedTableKeepsItsVersions) {
  testing_support::TempDir dir;
  const std::string path = dir.File("mom.db");
  database::CreateDatabase(path, /*with_sample=*/true, /*overwrite=*/false);
  SqliteFile db(path);

  const std::vector<std::string> tables = VersionedTables(db);
  const std::set<std::string> found(tables.begin(), tables.end());
  for (const char* expected :
       {"mom_order", "mom_orderdetail", "mom_moallocate", "sfc_morouting", "sfc_moroutingdetail",
        "sfc_optransform", "sfc_optransformdetail", "mps_netdemand", "ecn_ecnapply", "ecn_ecnapplydetail",
        "bom_bom", "so_somain", "so_sodetails", "ex_order", "ex_orderdetail"})
    EXPECT_TRUE(found.count(expected)) << expected;

  // Loading the sample only inserted, once per row: the versions are exactly
  // 2001..counter, one per row, across all tables.
  std::string all_versions;
  for (const std::string& t : tables) all_versions += (all_versions.empty() ? "" : " UNION ALL ") +
                                                      ("SELECT Krts AS k FROM " + t);
  const int64_t counter = db.Counter();
  EXPECT_EQ(db.Int("SELECT count(*) FROM (" + all_versions + ")"), counter - 2000);
  EXPECT_EQ(db.Int("SELECT count(DISTINCT k) FROM (" + all_versions + ")"), counter - 2000);
  EXPECT_EQ(db.Int("SELECT min(k) FROM (" + all_versions + ")"), 2001);

  // An update of any versioned table takes the next value.
  for (const std::string& t : tables) {
    SCOPED_TRACE(t);
    ASSERT_GT(db.Int("SELECT count(*) FROM " + t), 0) << "the sample has no row to try";
    const std::string first = "(SELECT min(rowid) FROM " + t + ")";
    const int64_t before = db.Counter();
    db.Exec("UPDATE " + t + " SET rowid = rowid WHERE rowid = " + first);
    EXPECT_EQ(db.Counter(), before + 1);
    EXPECT_EQ(db.Int("SELECT Krts FROM " + t + " WHERE rowid = " + first), before + 1);
  }
}

}  // namespace
