// mom history and mom verify run as programs, on write-backs made with mom call.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tools/mom/cli_test_support.h"

namespace {

using Json = nlohmann::ordered_json;
using JournalCliTest = mom_console_test::CliTest;

std::vector<Json> JsonLines(const std::string& text) {
  std::vector<Json> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(Json::parse(text.substr(start, end - start)));
  return lines;
}

TEST_F(JournalCliTest, HistoryShowsAnOrdersWriteBacksWithRunningTotals) {
  Init();
  ASSERT_EQ(Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2").exit_code, 0);
  ASSERT_EQ(Mom("call " + Db() + " MoInQtyWrB iMoDId=1001 fNetChgQty=3 cBusType=产品入库 Krts=").exit_code, 0);
  ASSERT_EQ(Mom("call " + Db() + " MoInQtyWrB iMoDId=1001 fNetChgQty=-1 cBusType=产品入库 Krts=").exit_code, 0);
  // A refused write-back and one rolled back leave nothing.
  ASSERT_EQ(Mom("call " + Db() + " MoInQtyWrB iMoDId=1001 fNetChgQty=-50 cBusType=产品入库 Krts=").exit_code, 0);
  ASSERT_EQ(Mom("call " + Db() + " MoInQtyWrB iMoDId=1001 fNetChgQty=1 cBusType=产品入库 Krts= --rollback").exit_code, 0);

  Run r = Mom("history " + Db() + " --order SMO0001");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  std::string seen;
  for (const Json& j : JsonLines(r.out)) {
    seen += j["procedure"].get<std::string>() + " " + j["table"].get<std::string>() + " " +
            std::to_string(j["row"].get<int64_t>()) + " " + j["column"].get<std::string>() + " " +
            std::to_string(j["change"].get<double>()) + " " + std::to_string(j["total"].get<double>()) + "\n";
    EXPECT_FALSE(j["user"].get<std::string>().empty());
    EXPECT_EQ(j["token_after"].get<std::string>().find('.'), j["token_after"].get<std::string>().size() - 5);
  }
  EXPECT_EQ(seen,
            "Usp_SF_UpdMRoutingQty sfc_moroutingdetail 3003 CompleteQty 2.000000 5.000000\n"
            "Usp_SF_UpdMRoutingQty sfc_moroutingdetail 3003 QualifiedQty 2.000000 5.000000\n"
            "Usp_MO_UpdMoQty mom_orderdetail 1001 QualifiedInQty 3.000000 5.000000\n"
            "Usp_MO_UpdMoQty mom_orderdetail 1001 QualifiedInQty -1.000000 4.000000\n");

  r = Mom("history " + Db() + " --line 1001 --table");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')).find("when"), 0u) << r.out;
  EXPECT_NE(r.out.find("QualifiedInQty       2      5      +3      5"), std::string::npos) << r.out;
  EXPECT_EQ(Mom("history " + Db() + " --routing-line 3001").out, "");
  EXPECT_EQ(Mom("history " + Db() + " --order NOPE").exit_code, 1);
  EXPECT_EQ(Mom("history " + Db()).exit_code, 2);
  EXPECT_EQ(Mom("history " + Db() + " --line x").exit_code, 2);
  EXPECT_EQ(Mom("history " + Db() + " --order SMO0001 --line 1001").exit_code, 2);
}

TEST_F(JournalCliTest, VerifyFindsACounterChangedByHandAndOffersNoFix) {
  Init();
  ASSERT_EQ(Mom("call " + Db() + " MORMOutQtyWrB MoAllocateId=5001 fNetChgQty=2 cBusType=生产领料 bChk=false Krts=").exit_code, 0);
  Run r = Mom("verify " + Db());
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");
  ASSERT_EQ(Mom("sql " + Db() + " 'update mom_moallocate set IssQty = 9 where AllocateId = 5001'").exit_code, 0);
  r = Mom("verify " + Db());
  EXPECT_EQ(r.exit_code, 1);
  const std::vector<Json> drifts = JsonLines(r.out);
  ASSERT_EQ(drifts.size(), 1u) << r.out;
  EXPECT_EQ(drifts[0]["row"], 5001);
  EXPECT_EQ(drifts[0]["journal"], 6);
  EXPECT_EQ(drifts[0]["current"], 9);
  EXPECT_NE(drifts[0]["look_at"].get<std::string>().find("SMO0001"), std::string::npos) << r.out;
  EXPECT_EQ(Mom("verify " + Db() + " --fix").exit_code, 2);
}

// A database from before the journal: the history is refused with the upgrade named,
// and the upgrade is reported once.
TEST_F(JournalCliTest, InitUpgradeAddsTheJournalToAnOlderDatabase) {
  Init();
  const bool server = target_.find('=') != std::string::npos;
  ASSERT_EQ(Mom("sql " + Db() + (server ? " 'drop table sys_qtyjournal cascade'" : " 'drop table sys_qtyjournal'"))
                .exit_code,
            0);
  Run r = Mom("history " + Db() + " --order SMO0001");
  EXPECT_EQ(r.exit_code, 1);
  std::ifstream err(dir_.File("stderr"));
  const std::string message{std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
  EXPECT_NE(message.find("--upgrade"), std::string::npos) << message;
  r = Mom("init " + Db() + " --upgrade");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("added the quantity journal"), std::string::npos) << r.out;
  r = Mom("init " + Db() + " --upgrade");
  EXPECT_NE(r.out.find("up to date"), std::string::npos) << r.out;
  EXPECT_EQ(Mom("init " + Db() + " --upgrade --sample").exit_code, 2);
  ASSERT_EQ(Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2").exit_code, 0);
  EXPECT_EQ(JsonLines(Mom("history " + Db() + " --routing-line 3003").out).size(), 2u);
}

}  // namespace
