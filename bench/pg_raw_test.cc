// The raw libpq baselines must do what the component and the procedures do, or the
// ratios compare different work. Tests that need a server skip without MOM_TEST_PG.

#include <gtest/gtest.h>

#include <string>

#include "bench/pg_environment.h"
#include "bench/pg_raw.h"
#include "bench/pg_raw_writebacks.h"
#include "platform/com/error.h"

namespace mom_bench {
namespace {

TEST(LibpqConnInfoTest, MapsTheDataLayerKeysAndQuotesValues) {
  EXPECT_EQ(LibpqConnInfo("Provider=PostgreSQL;Host=/tmp/a b;Port=5433;User ID=postgres;Database=mom;Timeout=5"),
            "host='/tmp/a b' port='5433' user='postgres' dbname='mom'");
  EXPECT_EQ(LibpqConnInfo("Provider=PostgreSQL;Host=h;Password=\"it's\\x\""), "host='h' password='it\\'s\\\\x'");
}

TEST(PgTokenTest, MatchesAsTheProceduresDo) {
  EXPECT_EQ(PgRowToken(2044), "0.2044");
  EXPECT_EQ(PgRowToken(123456), "12.3456");
  EXPECT_EQ(PgRowToken(-5), "-0.0005");
  EXPECT_TRUE(PgTokenMatches("", 2044));
  EXPECT_TRUE(PgTokenMatches("   ", 2044));
  EXPECT_TRUE(PgTokenMatches("0.2044                        ", 2044));
  EXPECT_FALSE(PgTokenMatches("0.2043", 2044));
  EXPECT_FALSE(PgTokenMatches("0.20440", 2044));
}

TEST(PgSessionTest, RaisesTheServersRefusalWithItsNumber) {
  if (PostgresServer().empty()) GTEST_SKIP() << "MOM_TEST_PG names no server";
  PgSession session(PostgresServer() + ";Database=postgres");
  try {
    session.Execute("select * from no_such_table");
    FAIL() << "no error raised";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), kErrPostgresRefused);
    EXPECT_NE(e.description().find("no_such_table"), std::string::npos);
  }
}

// A routing line's quantities and version, to compare outcomes.
std::string RoutingLine(PgSession& s, int id) {
  PgResult r = s.Run("routing_state", {std::to_string(id).c_str()});
  return PQntuples(r.get()) ? std::string(PgText(r, 0, 0)) : "missing";
}

class PgRawRoutingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (PostgresServer().empty()) GTEST_SKIP() << "MOM_TEST_PG names no server";
    session_.emplace(FreshPgDatabase(PostgresServer(), "mom_bench_test_routing"));
    session_->Prepare("routing_state",
                      "select concat_ws(' ', CompleteQty, QualifiedQty, ScrapQty) from sfc_moroutingdetail "
                      "where MoRoutingDId = $1");
    session_->Prepare("procedure", "select usp_sf_updmroutingqty(6::smallint, $1, $2, $3)");
    session_->Prepare("version", "select Krts from sfc_moroutingdetail where MoRoutingDId = $1");
  }

  // The procedure's code and the line after it (rolled back), then the raw write-back's
  // code and the line after it (committed), from the same starting point.
  void ExpectSameOutcome(int id, double qty, const std::string& token, int expected_code) {
    PgSession& s = *session_;
    const std::string id_text = std::to_string(id), qty_text = std::to_string(qty);
    s.Execute("BEGIN");
    const int procedure_code = PgInt(s.Run("procedure", {id_text.c_str(), qty_text.c_str(), token.c_str()}), 0, 0);
    const std::string procedure_line = RoutingLine(s, id);
    s.Execute("ROLLBACK");
    PgRawRoutingWriteBack raw(s);
    EXPECT_EQ(raw.Run(id, qty, token), procedure_code);
    EXPECT_EQ(procedure_code, expected_code);
    EXPECT_EQ(RoutingLine(s, id), procedure_line);
  }

  std::string CurrentToken(int id) {
    return PgRowToken(std::atoll(PQgetvalue(session_->Run("version", {std::to_string(id).c_str()}).get(), 0, 0)));
  }

  std::optional<PgSession> session_;
};

TEST_F(PgRawRoutingTest, AcceptsAndRefusesWhatTheProcedureDoes) {
  ExpectSameOutcome(3003, 2.5, "", 0);
  ExpectSameOutcome(3003, 1, CurrentToken(3003) + "   ", 0);
  ExpectSameOutcome(3003, 1, "0.0001", 90001);
  ExpectSameOutcome(999999, 1, "", 90001);
  session_->Execute("update mom_orderdetail set Status = 4 where MoDId = 1001");
  ExpectSameOutcome(3003, 1, "", 90004);
}

}  // namespace
}  // namespace mom_bench
