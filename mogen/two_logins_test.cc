// Two generation runs at once on two threads, each against a database of its own: a
// run's MO codes and its ATO credit come from its own database, since the current login
// that CommonFunctions reads is the run's thread's, and nothing is left in the
// environment.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/demand_lines.h"
#include "testing/mom_fixture.h"

extern char** environ;

namespace {

using testing_support::MomFixture;
using testing_support::TempDir;
using testing_support::TestDatabase;

#if defined(__SANITIZE_THREAD__)
constexpr int kRounds = 25;  // the races show in fewer rounds; each costs more there
#else
constexpr int kRounds = 100;
#endif

std::set<std::string> Environment() {
  std::set<std::string> entries;
  for (char** e = environ; *e; ++e) entries.insert(*e);
  return entries;
}

com::Variant Scalar(ado::Connection& cn, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, &cn);
  return rs->Eof() ? com::Variant() : rs->fields().Item(0).Value();
}

// One database's part: its MO prefix and quantity decimals, and one sales order per
// round with a plain line (FG001 x 4) and an ATO line (FG003 x 3) whose net demand is a
// model row (balance 1) and an option row (Seq 2, Factor 0.45): the option is credited
// 0.45 x 2 rounded to the database's decimals.
struct Side {
  std::string connection_string;
  std::string prefix;
  int decimals;
  double option_credit;

  static std::string Order(int round) { return "ST" + std::to_string(1000 + round); }
  static int OrderId(int round) { return 9000 + round; }
  static int PlainLine(int round) { return 90000 + 2 * round; }
  static int AtoLine(int round) { return 90001 + 2 * round; }
  static int OptionRow(int round) { return 60001 + 2 * round; }

  void Prepare() const {
    com::Ptr<ado::Connection> cn = ado::Connection::Create();
    cn->Open(connection_string);
    cn->BeginTrans();
    cn->Execute("update sys_doccode set Prefix = '" + prefix + "' where DocType = 'MO21'");
    cn->Execute("update AccInformation set cValue = '" + std::to_string(decimals) +
                "' where cSysId = 'AA' and cName = 'iStrsQuanDecDgt'");
    for (int r = 0; r < kRounds; ++r) {
      const std::string id = std::to_string(OrderId(r));
      cn->Execute("insert into so_somain (id, cSOCode, dDate, cCusCode, cCloser) select " + id + ", '" + Order(r) +
                  "', dDate, cCusCode, NULL from so_somain where id = 8003");
      for (auto [line, from, qty] : {std::tuple{PlainLine(r), 8121, 4}, std::tuple{AtoLine(r), 8124, 3}})
        cn->Execute(
            "insert into so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, fMoQuantity, cFree1, cFree2, "
            "dPreMoDate, iCusBomId, cMemo, iGroupType, iNum, iInvExchRate, cSCloser) select " +
            std::to_string(line) + ", " + id + ", iRowNo, cInvCode, " + std::to_string(qty) +
            ", 0, cFree1, cFree2, dPreMoDate, iCusBomId, cMemo, iGroupType, iNum, iInvExchRate, NULL "
            "from so_sodetails where isosid = " + std::to_string(from));
      for (auto [row, seq, factor, balance] : {std::tuple{OptionRow(r) - 1, 1, "1", 1}, std::tuple{OptionRow(r), 2, "0.45", 10}})
        cn->Execute(
            "insert into mps_netdemand (DemandId, PartId, SoType, SoDId, DemandDate, Seq, Factor, BalQty, crdqty, "
            "ModifyFlag) select " +
            std::to_string(row) + ", PartId, SoType, " + std::to_string(AtoLine(r)) + ", DemandDate, " +
            std::to_string(seq) + ", " + factor + ", " + std::to_string(balance) +
            ", 0, '0' from mps_netdemand where DemandId = 6005");
    }
    cn->CommitTrans();
  }

  struct Outcome {
    bool result = false;
    std::string err;
  };

  // One round as the sales module makes it, on the calling thread.
  Outcome Run(int round) const {
    Outcome out;
    try {
      com::Ptr<com::IDispatch> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM");
      com::Ptr<mom::_clsMOM> early = mom.As<mom::_clsMOM>();
      com::Ptr<ado::Connection> conn = ado::Connection::Create();
      conn->Open(connection_string);
      mom::RecordsetRef lines = suite::SalesDemandLines(conn.get(), {Order(round)});
      mom::ObjectRef login = com::CreateObject("MomSuite.Login");
      com::PutProperty(login.get(), "KrDbName", connection_string);
      com::PutProperty(login.get(), "cUserId", "demo");
      com::PutProperty(login.get(), "cAcc_Id", "001");
      std::string code;
      mom::VariantBool result = 0;
      if (com::Failed(early->PushMoFromSo(&login, &code, &lines, &out.err, "SA", &result))) out.err += " (failed call)";
      out.result = result != 0;
    } catch (const com::Error& e) {
      out.err = e.description();
    }
    return out;
  }

  // What is wrong with the MOs made for the rounds' lines and their credits: codes of
  // another database or missing, lines without exactly one MO, options credited with
  // other decimals. Empty when nothing is.
  std::string Check() const {
    com::Ptr<ado::Connection> cn = ado::Connection::Create();
    cn->Open(connection_string);
    std::set<std::string> codes, expected;
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open(
        "select o.MoCode from mom_order o join mom_orderdetail d on d.MoId = o.MoId where d.SoType = 1 and "
        "d.SoDId >= 90000",
        cn.get());
    for (; !rs->Eof(); rs->MoveNext()) codes.insert(rs->fields().Item(0).Value().ToString());
    for (int n = 1; n <= 2 * kRounds; ++n) {
      std::string number = std::to_string(n);
      expected.insert(prefix + std::string(6 - number.size(), '0') + number);
    }
    // Each kind of fault once, with its count and first instance.
    std::map<std::string, std::pair<int, std::string>> faults;
    auto fault = [&](const std::string& kind, const std::string& first) {
      auto& [count, example] = faults[kind];
      if (count++ == 0) example = first;
    };
    for (const std::string& c : codes)
      if (!expected.count(c)) fault("codes not of this database", c);
    for (const std::string& c : expected)
      if (!codes.count(c)) fault("codes missing", c);
    for (int r = 0; r < kRounds; ++r) {
      const std::string lines = std::to_string(PlainLine(r)) + ", " + std::to_string(AtoLine(r));
      if (Scalar(*cn, "select count(*) from mom_orderdetail where SoType = 1 and SoDId in (" + lines + ")").ToI4() != 2)
        fault("rounds without one MO per line", std::to_string(r));
      const double credit =
          Scalar(*cn, "select crdqty from mps_netdemand where DemandId = " + std::to_string(OptionRow(r))).ToR8();
      if (credit != option_credit) fault("options credited otherwise", std::to_string(credit));
    }
    std::string text;
    for (const auto& [kind, seen] : faults)
      text += kind + ": " + std::to_string(seen.first) + " (first " + seen.second + "); ";
    return text;
  }
};

class TwoLoginsTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    other_ = std::make_unique<TestDatabase>(other_dir_);
  }

  TempDir other_dir_;
  std::unique_ptr<TestDatabase> other_;
};

TEST_F(TwoLoginsTest, TwoRunsAtOnceEachNumberAndCreditFromTheirOwnDatabase) {
  const Side a{connection_string_, "MA", 0, 1};
  const Side b{other_->connection_string(), "MB", 2, 0.9};
  a.Prepare();
  b.Prepare();
  const std::set<std::string> environment = Environment();

  for (int r = 0; r < kRounds; ++r) {
    Side::Outcome on_a, on_b;
    std::thread first([&] { on_a = a.Run(r); });
    std::thread second([&] { on_b = b.Run(r); });
    first.join();
    second.join();
    ASSERT_TRUE(on_a.result && on_a.err.empty()) << "round " << r << " on A: " << on_a.err;
    ASSERT_TRUE(on_b.result && on_b.err.empty()) << "round " << r << " on B: " << on_b.err;
  }

  EXPECT_EQ(a.Check(), "");
  EXPECT_EQ(b.Check(), "");
  EXPECT_EQ(Environment(), environment);
}

}  // namespace
