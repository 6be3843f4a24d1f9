// Receipts written back by several users at once, each on a session of its own, as
// the inventory module saves them: read the line's token, write back inside its own
// transaction, commit on success and roll back on refusal.

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/creation.h"
#include "platform/com/date.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr char kStale[] = "记录已经被其他人员删除或更新，请刷新后再试";
constexpr char kReceipt[] = "产品入库";
constexpr int32_t kLine = 1002;

class ConcurrentWriteBackTest : public MomFixture {};

TEST_F(ConcurrentWriteBackTest, EveryReceiptLandsOrIsRefusedAndNothingIsLostOrCountedTwice) {
  constexpr int kWorkers = 4;
  constexpr int kAttempts = 12;
  const double before = Scalar("select QualifiedInQty from mom_orderdetail where MoDId = 1002").ToR8();

  std::mutex mutex;
  double landed_total = 0;
  int landed = 0;
  int refused = 0;
  std::vector<std::string> unexpected;

  auto worker = [&](int w) {
    com::Ptr<com::IDispatch> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM");
    com::Ptr<mom::_clsMOM> early = mom.As<mom::_clsMOM>();
    mom::ConnectionRef conn = OpenConnection();
    for (int a = 0; a < kAttempts; ++a) {
      com::Ptr<ado::Recordset> rs = conn->Execute(
          "select convert(char,convert(money,Krts),2) as Krts from mom_orderdetail where MoDId = 1002");
      std::string token = rs->fields().Item(0).Value().ToString();
      rs.reset();
      // Quarters of different sizes per worker, so a sum counted twice or lost shows.
      int32_t id = kLine;
      double qty = 0.25 * (w + 1);
      std::string bus_type = kReceipt;
      std::string err;
      com::Date date = com::DateFromCivil({2024, 3, 8, 0, 0, 0});
      mom::VariantBool check = 0;
      mom::VariantBool result = 0;
      conn->BeginTrans();
      const com::HResult hr = early->MoInQtyWrB(&id, &qty, &bus_type, &conn, &token, &err, &date, &check, &result);
      if (result) {
        conn->CommitTrans();
      } else {
        conn->RollbackTrans();
      }
      std::lock_guard lock(mutex);
      if (hr != com::S_OK) {
        unexpected.push_back("status " + std::to_string(hr));
      } else if (result) {
        landed_total += qty;
        ++landed;
      } else if (err == kStale) {
        ++refused;
      } else {
        unexpected.push_back(err);
      }
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < kWorkers; ++w) threads.emplace_back(worker, w);
  for (std::thread& t : threads) t.join();

  EXPECT_TRUE(unexpected.empty()) << unexpected.front();
  EXPECT_EQ(landed + refused, kWorkers * kAttempts);
  EXPECT_GT(landed, 0);
  EXPECT_NEAR(Scalar("select QualifiedInQty from mom_orderdetail where MoDId = 1002").ToR8(), before + landed_total,
              1e-9);
}

}  // namespace
