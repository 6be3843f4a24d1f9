// Generating MOs for sales lines that already have them: two runs at once over one
// list, and a list run again after its lines were generated. Every line ends with
// exactly one MO, and every refusal is reported.

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/current_login.h"
#include "suite/demand_lines.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr int kOrders = 125;
constexpr int kLinesPerOrder = 4;
constexpr int kLines = kOrders * kLinesPerOrder;
constexpr int kFirstOrderId = 9100;
constexpr int kFirstLineId = 91000;

std::string OrderCode(int order) { return "RSO" + std::to_string(1000 + order); }

class RepeatedGenerationTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    login_ = std::make_unique<suite::ScopedCurrentLogin>(connection_string_);
    // kOrders orders of four FG001 lines each; line l of order o asks for l + 1 pieces.
    std::string orders = "insert into so_somain (id, cSOCode, dDate) values ";
    std::string lines = "insert into so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, dPreMoDate) values ";
    for (int o = 0; o < kOrders; ++o) {
      const std::string id = std::to_string(kFirstOrderId + o);
      orders += (o ? ", (" : "(") + id + ", '" + OrderCode(o) + "', '2024-05-01 00:00:00')";
      for (int l = 0; l < kLinesPerOrder; ++l)
        lines += std::string(o || l ? ", (" : "(") + std::to_string(kFirstLineId + o * kLinesPerOrder + l) + ", " +
                 id + ", " + std::to_string(l + 1) + ", 'FG001', " + std::to_string(l + 1) +
                 ", '2024-06-01 00:00:00')";
    }
    conn_->Execute(orders);
    conn_->Execute(lines);
    for (int o = 0; o < kOrders; ++o) codes_.push_back(OrderCode(o));
  }

  mom::RecordsetRef Lines() { return suite::SalesDemandLines(OpenConnection().get(), codes_); }

  struct Outcome {
    bool result = false;
    std::string err;
  };

  // One run as the sales module makes it: its own component instance and login.
  Outcome Run(mom::RecordsetRef lines, const char* from = "SA") {
    com::Ptr<com::IDispatch> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM");
    com::Ptr<mom::_clsMOM> early = mom.As<mom::_clsMOM>();
    mom::ObjectRef login = com::CreateObject("MomSuite.Login");
    com::PutProperty(login.get(), "KrDbName", connection_string_);
    com::PutProperty(login.get(), "cUserId", "demo");
    com::PutProperty(login.get(), "cAcc_Id", "001");
    std::string code;
    Outcome out;
    mom::VariantBool result = 0;
    EXPECT_EQ(early->PushMoFromSo(&login, &code, &lines, &out.err, from, &result), com::S_OK);
    out.result = result != 0;
    return out;
  }

  int Count(const std::string& sql) { return Scalar(sql).ToI4(); }

  // What the database holds for the test's lines, as one line of text:
  // lines with no MO, lines with more than one, lines whose MO quantity is not the
  // ordered quantity, and orders without a line.
  std::string Holdings() {
    const std::string range = " between " + std::to_string(kFirstLineId) + " and " +
                              std::to_string(kFirstLineId + kLines - 1);
    const int without = Count(
        "select count(*) from so_sodetails s where s.isosid" + range +
        " and not exists (select 1 from mom_orderdetail d where d.SoType = 1 and d.SoDId = s.isosid)");
    const int doubled = Count(
        "select count(*) from (select SoDId from mom_orderdetail where SoType = 1 and SoDId" + range +
        " group by SoDId having count(*) > 1) x");
    const int off = Count("select count(*) from so_sodetails s where s.isosid" + range +
                          " and (s.fMoQuantity <> s.iQuantity or exists (select 1 from mom_orderdetail d "
                          "where d.SoType = 1 and d.SoDId = s.isosid and d.Qty <> s.iQuantity))");
    const int bare = Count(
        "select count(*) from mom_order o where not exists (select 1 from mom_orderdetail d where d.MoId = o.MoId)");
    return "without " + std::to_string(without) + ", doubled " + std::to_string(doubled) + ", off " +
           std::to_string(off) + ", bare orders " + std::to_string(bare);
  }

  // How often each line of the test is named in the run messages: the number of
  // lines named once, and the number named more than once.
  static std::pair<int, int> NamedLines(const std::string& messages) {
    int once = 0, more = 0;
    for (int o = 0; o < kOrders; ++o)
      for (int l = 1; l <= kLinesPerOrder; ++l) {
        const std::string name = "销售订单 " + OrderCode(o) + " -- " + std::to_string(l) + " ";
        int n = 0;
        for (size_t at = messages.find(name); at != std::string::npos; at = messages.find(name, at + 1)) ++n;
        once += n == 1;
        more += n > 1;
      }
    return {once, more};
  }

  static int Reported(const std::string& messages) {
    int n = 0;
    for (size_t at = messages.find("\r\n"); at != std::string::npos; at = messages.find("\r\n", at + 2)) ++n;
    return n;
  }

  std::unique_ptr<suite::ScopedCurrentLogin> login_;
  std::vector<std::string> codes_;
};

TEST_F(RepeatedGenerationTest, TwoRunsAtOnceOverOneListGiveEveryLineOneMo) {
  mom::RecordsetRef first_list = Lines(), second_list = Lines();
  Outcome a, b;
  std::latch start(2);
  std::thread first([&] {
    start.arrive_and_wait();
    a = Run(first_list);
  });
  std::thread second([&] {
    start.arrive_and_wait();
    b = Run(second_list);
  });
  first.join();
  second.join();

  EXPECT_EQ(Holdings(), "without 0, doubled 0, off 0, bare orders 0");
  // Every line was generated by one run and refused, with its name, by the other.
  EXPECT_EQ(Reported(a.err) + Reported(b.err), kLines) << a.err.substr(0, 500) << b.err.substr(0, 500);
  EXPECT_EQ(NamedLines(a.err + b.err), std::make_pair(kLines, 0));
  EXPECT_FALSE(a.result && b.result);
}

TEST_F(RepeatedGenerationTest, AStaleListRunAgainIsRefusedLineByLine) {
  mom::RecordsetRef list = Lines(), stale = Lines();
  Outcome first = Run(list);
  ASSERT_TRUE(first.result) << first.err.substr(0, 500);
  const int orders = Count("select count(*) from mom_order");

  Outcome again = Run(stale);
  EXPECT_FALSE(again.result);
  EXPECT_EQ(Count("select count(*) from mom_order"), orders);
  EXPECT_EQ(Holdings(), "without 0, doubled 0, off 0, bare orders 0");
  EXPECT_EQ(Reported(again.err), kLines);
  EXPECT_EQ(NamedLines(again.err), std::make_pair(kLines, 0));
  // The first line of an order meets the moved token; the others the quantity limit.
  const std::string first_line = "销售订单 " + OrderCode(7) + " -- 1 销售订单已被其他人员修改，请刷新后再试\r\n";
  const std::string later_line = "销售订单 " + OrderCode(7) + " -- 3 销售订单 " + OrderCode(7) +
                                 " 第 3 行的生产订单数量不能超过订单数量：订单数量 3，已有生产订单数量 3，本次 3\r\n";
  EXPECT_NE(again.err.find(first_line), std::string::npos) << again.err.substr(0, 500);
  EXPECT_NE(again.err.find(later_line), std::string::npos) << again.err.substr(0, 500);

  // A list read afresh has nothing left to generate.
  EXPECT_EQ(Lines()->RecordCount(), 0);
}

// One external run over many lines is one transaction: the session table and the
// numbering are reused by every line of it, and must come out as after short runs.
TEST_F(RepeatedGenerationTest, ALongExternalRunNumbersAndAllocatesEveryLineAlike) {
  std::string orders = "insert into ex_order (id, cCode, dDate) values ";
  std::string lines = "insert into ex_orderdetail (autoid, id, iRowNo, cInvCode, iQuantity, dPreMoDate) values ";
  std::vector<std::string> codes;
  for (int o = 0; o < kOrders; ++o) {
    const std::string id = std::to_string(kFirstOrderId + o), code = "REX" + std::to_string(1000 + o);
    codes.push_back(code);
    orders += (o ? ", (" : "(") + id + ", '" + code + "', '2024-05-01 00:00:00')";
    for (int l = 0; l < kLinesPerOrder; ++l)
      lines += std::string(o || l ? ", (" : "(") + std::to_string(kFirstLineId + o * kLinesPerOrder + l) + ", " + id +
               ", " + std::to_string(l + 1) + ", 'FG001', " + std::to_string(l + 1) + ", '2024-06-01 00:00:00')";
  }
  conn_->Execute(orders);
  conn_->Execute(lines);
  const int before = Count("select count(*) from mom_order");
  Outcome run = Run(suite::ExternalDemandLines(OpenConnection().get(), codes), "EX");
  ASSERT_TRUE(run.result) << run.err.substr(0, 500);
  ASSERT_EQ(Count("select count(*) from mom_order"), before + kLines);
  const std::string ours = "select MoDId from mom_orderdetail where SoType = 2 and SoDId >= " +
                           std::to_string(kFirstLineId);
  // Every order has the same allocations, numbered from 1 without a gap: nothing of an
  // earlier line's session rows came along.
  EXPECT_EQ(Count("select count(*) from (select count(*) n, min(SortSeq) lo, max(SortSeq) hi from mom_moallocate "
                  "where MoDId in (" + ours + ") group by MoDId) x group by n, lo, hi"),
            kLines);
  EXPECT_EQ(Count("select count(*) from (select distinct count(*) n from mom_moallocate where MoDId in (" + ours +
                  ") group by MoDId) x"),
            1);
  EXPECT_GT(Count("select min(SortSeq) from mom_moallocate where MoDId in (" + ours + ")"), 0);
  // The numbering stands right after the last code of the run.
  EXPECT_EQ(Count("select NextNumber from sys_doccode where DocType = 'MO21'"),
            Count("select max(cast(substr(o.MoCode, 3, 20) as int)) from mom_order o join mom_orderdetail d "
                  "on d.MoId = o.MoId where d.MoDId in (" + ours + ")") + 1);
}

}  // namespace
