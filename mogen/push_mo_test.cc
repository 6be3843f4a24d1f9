// MO generation from sales and external orders on the embedded database, called
// early-bound as the sales module calls it.

#include <gtest/gtest.h>

#include "mogen/scripted_numbering.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "platform/com/thread_values.h"
#include "suite/demand_lines.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr char kPrefix[] = "销售订单";
constexpr char kStaleOrder[] = "销售订单已被其他人员修改，请刷新后再试";
constexpr char kNoBom[] = "无有效物料清单资料，不能产生生产订单";
constexpr char kNoCode[] = "产生生产订单需要自动编号";

class PushMoTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    login_ = com::CreateObject("MomSuite.Login");
    com::PutProperty(login_.get(), "KrDbName", connection_string_);
    com::PutProperty(login_.get(), "cUserId", "demo");
    com::PutProperty(login_.get(), "cAcc_Id", "001");
  }

  mom::RecordsetRef SalesLines(std::vector<std::string> codes) { return suite::SalesDemandLines(conn_.get(), codes); }
  mom::RecordsetRef ExternalLines(std::vector<std::string> codes) {
    return suite::ExternalDemandLines(conn_.get(), codes);
  }

  bool Push(mom::RecordsetRef lines, const char* from = "SA") {
    mom::VariantBool result = 0;
    EXPECT_EQ(early_->PushMoFromSo(&login_, &mo_code_, &lines, &err_, from, &result), com::S_OK);
    EXPECT_EQ(mo_code_, "unchanged");
    return result != 0;
  }

  // Replaces CommonFunctions with one that hands out exactly `codes`.
  void ScriptCodes(const std::string& codes) {
    codes_ = std::make_unique<com::ScopedThreadValue>(mom::mogen::scripted::kDocumentCodes, com::Variant(codes));
    fetched_ = std::make_unique<com::ScopedThreadValue>(mom::mogen::scripted::kCodesFetched, com::Variant(0));
    com::RunRegistrationEntry(MOGEN_SCRIPTED_NUMBERING_LIBRARY, "DllRegisterServer");
  }
  int CodesFetched() { return com::ThreadValue(mom::mogen::scripted::kCodesFetched).ToI4(); }

  int Count(const std::string& sql) { return Scalar(sql).ToI4(); }
  std::string Text(const std::string& sql) { return Scalar(sql).ToString(); }
  std::string CodeOfLine(int line) {
    com::Variant v = Scalar(
        "select o.MoCode from mom_order o join mom_orderdetail d on d.MoId = o.MoId "
        "where d.SoDId = " +
        std::to_string(line) + " and o.MoCode not like 'SMO%'");
    return v.is_empty() ? std::string() : v.ToString();
  }
  void TouchOrder(int id) {
    conn_->Execute("update so_somain set cCusCode = cCusCode where id = " + std::to_string(id));
  }

  mom::ObjectRef login_;
  std::string mo_code_ = "unchanged";
  std::string err_;
  std::unique_ptr<com::ScopedThreadValue> codes_, fetched_;
};

TEST_F(PushMoTest, SalesLinesBecomeNumberedOrdersWithAllocationsAndWriteBacks) {
  EXPECT_FALSE(Push(SalesLines({"SO0003", "SO0002"})));
  // 8123 (a component without a bill) is refused; the other lines are generated.
  EXPECT_EQ(err_, std::string(kPrefix) + " SO0003 -- 3 " + kNoBom + "\r\n");
  // Processed by order id, then line id: SO0002's lines come first.
  EXPECT_EQ(CodeOfLine(8111), "MO000001");
  EXPECT_EQ(CodeOfLine(8113), "MO000002");
  EXPECT_EQ(CodeOfLine(8121), "MO000003");
  EXPECT_EQ(CodeOfLine(8122), "MO000004");
  EXPECT_EQ(CodeOfLine(8123), "");
  // The refused line's code (MO000005) is not handed out again.
  EXPECT_EQ(CodeOfLine(8124), "MO000006");
  EXPECT_EQ(Count("select NextNumber from sys_doccode where DocType = 'MO21'"), 7);

  struct Row {
    int line;
    double mo_qty;
    int bom;
    int allocations;
  } rows[] = {{8111, 3, 901, 7}, {8113, 1, 903, 4}, {8121, 4, 901, 7}, {8122, 2, 906, 3}, {8124, 1, 903, 4}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const std::string d = "(select MoDId from mom_orderdetail where SoType = 1 and SoDId = " + std::to_string(r.line) +
                          " and MoDId > 1006)";
    EXPECT_DOUBLE_EQ(Scalar("select Qty from mom_orderdetail where MoDId = " + d).ToR8(), r.mo_qty);
    EXPECT_EQ(Count("select BomId from mom_orderdetail where MoDId = " + d), r.bom);
    EXPECT_EQ(Count("select count(*) from mom_moallocate where MoDId = " + d), r.allocations);
    // Numbered from 1 within each order, however many orders the run made before.
    EXPECT_EQ(Count("select min(SortSeq) from mom_moallocate where MoDId = " + d), 1);
    EXPECT_EQ(Count("select max(SortSeq) from mom_moallocate where MoDId = " + d), r.allocations);
    EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = " + std::to_string(r.line)).ToR8(),
                     r.mo_qty);
    EXPECT_EQ(Text("select CreateUser from mom_order o join mom_orderdetail x on x.MoId = o.MoId where x.MoDId = " + d),
              "demo");
  }
  // Variable usage scales with the order (2 wheels per FG001), fixed usage does not.
  EXPECT_DOUBLE_EQ(Scalar("select a.Qty from mom_moallocate a join mom_orderdetail d on d.MoDId = a.MoDId "
                          "where d.SoDId = 8121 and d.MoDId > 1006 and a.ComponentId = 6")
                       .ToR8(),
                   8);
  EXPECT_DOUBLE_EQ(Scalar("select a.Qty from mom_moallocate a join mom_orderdetail d on d.MoDId = a.MoDId "
                          "where d.SoDId = 8121 and d.MoDId > 1006 and a.ComponentId = 10")
                       .ToR8(),
                   0.5);
  // The ATO lines credited their net demand.
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6001").ToR8(), 1);
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6005").ToR8(), 1);
  // The refused line's order check ran once for its order; nothing of it stayed.
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8123").ToR8(), 0);
}

TEST_F(PushMoTest, RowsAreTakenByOrderThenLineWhateverTheirOrder) {
  mom::RecordsetRef lines = SalesLines({"SO0002", "SO0001"});
  lines->SetSort("isosid DESC");
  EXPECT_TRUE(Push(lines));
  EXPECT_EQ(err_, "");
  EXPECT_EQ(CodeOfLine(8102), "MO000001");
  EXPECT_EQ(CodeOfLine(8111), "MO000002");
  EXPECT_EQ(CodeOfLine(8113), "MO000003");
}

TEST_F(PushMoTest, OneOrderCheckPerOrderRejectsOnlyTheOrdersFirstLine) {
  mom::RecordsetRef lines = SalesLines({"SO0002"});
  TouchOrder(8002);  // the caller's token of SO0002 is now stale
  EXPECT_FALSE(Push(lines));
  EXPECT_EQ(err_, std::string(kPrefix) + " SO0002 -- 1 " + kStaleOrder + "\r\n");
  EXPECT_EQ(CodeOfLine(8111), "");
  EXPECT_EQ(CodeOfLine(8113), "MO000001");
}

TEST_F(PushMoTest, ARefusedLineIsRolledBackWithItsCreditWhileTheNextIsGenerated) {
  conn_->Execute("update bom_bom set Status = 4 where BomId = 903");  // FG003 loses its bill
  err_ = "earlier text\r\n";
  EXPECT_FALSE(Push(SalesLines({"SO0002"})));
  EXPECT_EQ(err_, std::string("earlier text\r\n") + kPrefix + " SO0002 -- 3 " + kNoBom + "\r\n");
  EXPECT_EQ(CodeOfLine(8111), "MO000001");
  EXPECT_EQ(CodeOfLine(8113), "");
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6001").ToR8(), 0);
  EXPECT_EQ(Count("select ModifyFlag from mps_netdemand where DemandId = 6001"), 0);
}

TEST_F(PushMoTest, ALineWithoutAPartGetsNoOrderAndTheNextGoesOn) {
  mom::RecordsetRef lines = SalesLines({"SO0002"});
  (*lines)["cfree1"].SetValue(com::Variant("蓝色"));  // FG001 in blue does not exist
  EXPECT_FALSE(Push(lines));
  EXPECT_NE(err_.find(" SO0002 -- 1 存货[FG001]"), std::string::npos) << err_;
  EXPECT_EQ(CodeOfLine(8111), "");
  EXPECT_EQ(CodeOfLine(8113), "MO000001");
}

TEST_F(PushMoTest, AFailedCreditIsUndoneAsAWholeAndTheLineIsGenerated) {
  // 8121 ×4 over Seq 1 (balance 1) and Seq 3 (balance 2): the reverse pass credits the
  // first row a second time and the count check fails after both rows were written.
  conn_->Execute(
      "insert into mps_netdemand (DemandId, PartId, SoType, SoDId, Seq, BalQty) values "
      "(9101, 3, 1, 8121, 1, 1), (9102, 3, 1, 8121, 3, 2)");
  EXPECT_FALSE(Push(SalesLines({"SO0003"})));
  EXPECT_EQ(err_, std::string(kPrefix) + " SO0003 -- 3 " + kNoBom + "\r\n");
  EXPECT_EQ(CodeOfLine(8121), "MO000001");
  EXPECT_EQ(Count("select count(*) from mps_netdemand where DemandId in (9101, 9102) and crdqty = 0 and "
                  "ModifyFlag = 0"),
            2);
  // The next ATO line's credit is kept.
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6005").ToR8(), 1);
}

TEST_F(PushMoTest, ARefusalWithoutAReasonIsStillReported) {
  com::RunRegistrationEntry(MOGEN_SCRIPTED_NUMBERING_LIBRARY, "RegisterSilentSalesServer");
  EXPECT_FALSE(Push(SalesLines({"SO0002"})));
  EXPECT_EQ(err_, std::string(kPrefix) + " SO0002 -- 1 处理失败\r\n");
  EXPECT_EQ(CodeOfLine(8111), "");
  EXPECT_EQ(CodeOfLine(8113), "MO000001");
}

TEST_F(PushMoTest, ATakenCodeIsAnsweredWithTheNextCode) {
  ScriptCodes("SMO0001,SMO0002,MOT0003,MOT0004");
  EXPECT_TRUE(Push(SalesLines({"SO0002"})));
  EXPECT_EQ(err_, "");
  // 8111: two taken codes, then the third; 8113: the fourth.
  EXPECT_EQ(CodesFetched(), 4);
  EXPECT_EQ(CodeOfLine(8111), "MOT0003");
  EXPECT_EQ(CodeOfLine(8113), "MOT0004");
  EXPECT_EQ(Count("select count(*) from mom_order"), 5);
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8111").ToR8(), 3);
}

TEST_F(PushMoTest, ABlankCodeFailsTheLineAndTheRunGoesOn) {
  ScriptCodes("   ,MOT0009");
  EXPECT_FALSE(Push(SalesLines({"SO0002"})));
  EXPECT_EQ(err_, std::string(kPrefix) + " SO0002 -- 1 " + kNoCode + "\r\n");
  EXPECT_EQ(CodeOfLine(8111), "");
  EXPECT_EQ(CodeOfLine(8113), "MOT0009");
  // 8113's credit stayed; 8111 had none to lose.
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6001").ToR8(), 1);
}

TEST_F(PushMoTest, AnErrorInTheMiddleEndsTheRunAndKeepsTheLinesSettledBefore) {
  mom::RecordsetRef lines = SalesLines({"SO0003"});
  lines->MoveFirst();
  lines->MoveNext();
  (*lines)["iquantity"].SetValue(com::Variant::Null());  // 8122: a quantity nobody can read
  lines->MoveFirst();
  err_ = "before";
  EXPECT_FALSE(Push(lines));
  EXPECT_EQ(err_, "before Invalid use of Null");
  EXPECT_EQ(CodeOfLine(8121), "MO000001");
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8121").ToR8(), 4);
  EXPECT_EQ(CodeOfLine(8122), "");
  EXPECT_EQ(CodeOfLine(8124), "");
  EXPECT_EQ(Count("select count(*) from mom_order"), 4);
  // The run's connection is gone with its open transaction: the database is writable.
  conn_->Execute("update sys_doccode set NextNumber = NextNumber where DocType = 'MO21'");
}

TEST_F(PushMoTest, TheOriginSelectsThePath) {
  // With a caller's text in ErrMsg and no lines, only the external path returns true.
  struct Case {
    const char* from;
    bool external;
  } cases[] = {{"SA", false}, {"sa", true}, {"SA ", true}, {"EX", true}, {"", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    err_ = "caller";
    mom::RecordsetRef none = SalesLines({"NO-SUCH-ORDER"});
    EXPECT_EQ(Push(none, c.from), c.external);
    EXPECT_EQ(err_, "caller");
  }
  err_.clear();
  EXPECT_TRUE(Push(SalesLines({"NO-SUCH-ORDER"})));
}

TEST_F(PushMoTest, ExternalLinesAreGeneratedAndWrittenBackWithTheirSign) {
  err_ = "caller";
  EXPECT_TRUE(Push(ExternalLines({"EX0002", "EX0001"}), "EX"));
  EXPECT_EQ(err_, "caller");
  struct Row {
    int line;
    double qty;
    int allocations;
  } rows[] = {{8602, 5, 7}, {8611, 4, 3}, {8612, -5, 7}, {8613, 2, 4}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const std::string line = std::to_string(r.line);
    EXPECT_EQ(Count("select count(*) from ex_orderdetail e join mom_orderdetail d on d.MoDId = e.MoDId "
                    "where d.SoType = 2 and d.SoDId = e.autoid and e.autoid = " +
                    line),
              1);
    EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from ex_orderdetail where autoid = " + line).ToR8(), r.qty);
    EXPECT_EQ(Count("select count(*) from mom_moallocate a join ex_orderdetail e on e.MoDId = a.MoDId "
                    "where e.autoid = " +
                    line),
              r.allocations);
  }
  // 8613 is ATO: 1 of its own open demand, the other unit goes to the option at two
  // per unit.
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6006").ToR8(), 1);
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6007").ToR8(), 2);
}

TEST_F(PushMoTest, AnExternalLineFindsItsOwnOrderWhateverItsCodeHolds) {
  // Codes that, pasted into the lookup unquoted, would name the sample's first order.
  ScriptCodes("Z1' or MoCode = 'SMO0001,Z2' or MoCode = 'SMO0001,Z3' or MoCode = 'SMO0001");
  err_ = "";
  EXPECT_TRUE(Push(ExternalLines({"EX0002"}), "EX"));
  EXPECT_EQ(err_, "");
  for (int line : {8611, 8612, 8613}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(Text("select o.MoCode from ex_orderdetail e join mom_orderdetail d on d.MoDId = e.MoDId "
                   "join mom_order o on o.MoId = d.MoId where d.SoDId = e.autoid and e.autoid = " +
                   std::to_string(line)),
              "Z" + std::to_string(line - 8610) + "' or MoCode = 'SMO0001");
  }
}

TEST_F(PushMoTest, TheExternalRunKeepsNothingWhenItsLastLineFails) {
  mom::RecordsetRef lines = ExternalLines({"EX0002"});
  conn_->Execute("update ex_orderdetail set MoDId = 1006 where autoid = 8613");  // taken meanwhile
  const int orders = Count("select count(*) from mom_order");
  err_ = "caller";
  EXPECT_FALSE(Push(lines, "EX"));
  EXPECT_EQ(err_, "caller 外部订单行已生成生产订单");
  EXPECT_EQ(Count("select count(*) from mom_order"), orders);
  EXPECT_EQ(Count("select count(*) from ex_orderdetail where autoid in (8611, 8612) and MoDId is not null"), 0);
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6006").ToR8(), 0);
  EXPECT_EQ(Count("select NextNumber from sys_doccode where DocType = 'MO21'"), 1);
}

TEST_F(PushMoTest, TheExternalRunStopsAtTheFirstRefusedCode) {
  ScriptCodes("SMO0003,,MOT0001");
  EXPECT_FALSE(Push(ExternalLines({"EX0001"}), "EX"));
  EXPECT_EQ(err_, std::string(" ") + kNoCode);
  EXPECT_EQ(CodesFetched(), 2);
  EXPECT_EQ(Count("select count(*) from mom_order"), 3);
}

}  // namespace
