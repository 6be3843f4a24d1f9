// The sample company holds the cases that demos and other tests are written against
// (database/README.md); these checks keep the documented ids true.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/database_test_support.h"
#include "database/manufacturing_db.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace {

using database_testing::DirectConnection;
using database_testing::SqliteFile;
using testing_support::TestDatabase;

class SampleDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_ = std::make_unique<TestDatabase>(dir_);
  }

  testing_support::TempDir dir_;
  std::unique_ptr<TestDatabase> database_;
};

TEST_F(SampleDataTest, DocumentedCasesArePresent) {
  struct Fact {
    const char* what;
    const char* sql;  // yields one integer
    int64_t expected;
  };
  const Fact facts[] = {
      {"decimal places of stock quantities",
       "SELECT cValue FROM AccInformation WHERE cSysId = 'AA' AND cName = 'iStrsQuanDecDgt'", 2},
      {"one caption falls back to cItem", "SELECT count(*) FROM UserDef WHERE cItemName IS NULL", 1},
      {"a caption of exactly ten characters", "SELECT count(*) FROM UserDef WHERE length(cItemName) = 10", 1},
      {"a caption longer than ten", "SELECT count(*) FROM UserDef WHERE length(cItemName) > 10", 1},
      {"ATO parts", "SELECT count(*) FROM bas_part WHERE ATOFlag = 1", 2},
      {"1001 is under shop-floor control", "SELECT SfcFlag FROM mom_orderdetail WHERE MoDId = 1001", 1},
      {"1001 has three operations",
       "SELECT count(*) FROM sfc_moroutingdetail d JOIN sfc_morouting r USING (MoRoutingId) WHERE r.MoDId = 1001", 3},
      {"the last operation of 1001 is flagged last",
       "SELECT LastFlag FROM sfc_moroutingdetail WHERE MoRoutingId = 2001 ORDER BY OpSeq DESC LIMIT 1", 1},
      {"only the last operation of 1001 is flagged",
       "SELECT count(*) FROM sfc_moroutingdetail WHERE MoRoutingId = 2001 AND LastFlag = 1", 1},
      {"1002 is not under shop-floor control", "SELECT SfcFlag FROM mom_orderdetail WHERE MoDId = 1002", 0},
      {"1001 has a by-product",
       "SELECT count(*) FROM mom_moallocate WHERE MoDId = 1001 AND ByproductFlag = 1 AND DeleteFlag = 0", 1},
      {"1001 has backflushed components with warehouses",
       "SELECT count(*) >= 3 FROM mom_moallocate WHERE MoDId = 1001 AND WIPType = 1 AND WhCode IS NOT NULL "
       "AND ByproductFlag = 0 AND DeleteFlag = 0", 1},
      {"1004 has a backflushed component without a warehouse",
       "SELECT count(*) FROM mom_moallocate WHERE MoDId = 1004 AND WIPType = 1 AND WhCode IS NULL", 1},
      {"1001 has a fixed-usage component", "SELECT count(*) FROM mom_moallocate WHERE MoDId = 1001 AND FVFlag = 0", 1},
      {"1001 has scrap rates",
       "SELECT count(*) >= 2 FROM mom_moallocate WHERE MoDId = 1001 AND (CompScrap > 0 OR ParentScrap > 0)", 1},
      {"1004 has two operations flagged last",
       "SELECT count(*) FROM sfc_moroutingdetail WHERE MoRoutingId = 2002 AND LastFlag = 1", 2},
      {"moves agree with the quantities moved out",
       "SELECT count(*) FROM sfc_moroutingdetail r WHERE TransOutQty <> "
       "(SELECT coalesce(sum(Qty), 0) FROM sfc_optransformdetail t WHERE t.MoRoutingDId = r.MoRoutingDId)", 0},
      {"ATO net demand has sequences 1, 2, 3",
       "SELECT min(Seq) * 100 + count(DISTINCT Seq) * 10 + max(Seq) FROM mps_netdemand WHERE SoDId = 8113", 133},
      {"two to four lines each",
       "SELECT count(*) FROM (SELECT count(*) n FROM ecn_ecnapplydetail GROUP BY ApplyId) x WHERE n BETWEEN 2 AND 4", 3},
      {"ECN heads with missing names",
       "SELECT count(*) > 0 FROM ecn_ecnapply WHERE ReasonDesc IS NULL OR EmplName IS NULL OR DeptName IS NULL", 1},
      {"two sales orders of three lines",
       "SELECT count(*) FROM (SELECT count(*) n FROM so_sodetails GROUP BY id) x WHERE n = 3", 2},
      {"one closed sales line", "SELECT count(*) FROM so_sodetails WHERE cSCloser IS NOT NULL", 1},
      {"every finished item has a valid BOM",
       "SELECT count(*) FROM bas_part p WHERE p.InvCode LIKE 'FG%' AND p.Free1 IS NULL AND NOT EXISTS "
       "(SELECT 1 FROM bom_bom b WHERE b.PartId = p.PartId AND b.Status = 3)", 0},
      // Cross-references that the foreign keys do not cover.
      {"order lines name their part's item",
       "SELECT count(*) FROM mom_orderdetail d JOIN bas_part p USING (PartId) WHERE p.InvCode <> d.InvCode", 0},
      {"components name their part's item",
       "SELECT count(*) FROM mom_moallocate a JOIN bas_part p ON p.PartId = a.ComponentId WHERE p.InvCode <> a.InvCode", 0},
      {"order lines point at their sales lines",
       "SELECT count(*) FROM mom_orderdetail d WHERE d.SoType = 1 AND NOT EXISTS "
       "(SELECT 1 FROM so_sodetails s JOIN so_somain m USING (id) WHERE s.isosid = d.SoDId "
       "AND m.cSOCode = d.SoCode AND s.iRowNo = d.SoSeq AND s.cInvCode = d.InvCode)", 0},
      {"external lines and their order lines agree",
       "SELECT count(*) FROM ex_orderdetail e JOIN mom_orderdetail d ON d.MoDId = e.MoDId "
       "WHERE d.SoType <> 2 OR d.SoDId <> e.autoid OR d.InvCode <> e.cInvCode", 0},
      {"items of sales and external lines exist",
       "SELECT count(*) FROM (SELECT cInvCode FROM so_sodetails UNION ALL SELECT cInvCode FROM ex_orderdetail "
       "UNION ALL SELECT InvCode FROM mom_orderdetail UNION ALL SELECT InvCode FROM ecn_ecnapplydetail) x "
       "WHERE NOT EXISTS (SELECT 1 FROM Inventory i WHERE i.cInvCode = x.cInvCode)", 0},
  };
  DirectConnection db(database_->connection_string());
  for (const Fact& f : facts) EXPECT_EQ(db.Int(f.sql), f.expected) << f.what;
}

TEST_F(SampleDataTest, ForeignKeysHold) {
  // The server database enforces its foreign keys on every write.
  if (TestDatabase::IsPostgres()) GTEST_SKIP() << "checked by the server on every write";
  SqliteFile db(database_->target());
  EXPECT_TRUE(db.Rows("PRAGMA foreign_key_check").empty());
}

}  // namespace
