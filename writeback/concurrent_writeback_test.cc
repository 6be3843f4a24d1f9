// Receipts written back by several users at once, each on a session of its own, as
// the inventory module saves them: read the line's token, write back inside its own
// transaction, commit on success and roll back on refusal.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/creation.h"
#include "platform/com/date.h"
#include "platform/com/error.h"
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

// One routing write-back after another on a connection with no transaction of the
// caller's, as a host that does not wrap them makes them.
struct RoutingRun {
  int landed = 0;
  int failed = 0;
  std::string first_error;
};

RoutingRun WriteBackRouting(const com::Ptr<ado::Connection>& connection, int calls, double qty) {
  com::Ptr<mom::_clsMOM> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM").As<mom::_clsMOM>();
  RoutingRun run;
  for (int i = 0; i < calls; ++i) {
    int32_t id = 3003;
    double change = qty;
    mom::ConnectionRef conn = connection;
    std::string err, token;
    mom::VariantBool result = 0;
    com::HResult hr = mom->MoRoutingWrB(&id, &change, &conn, &err, &token, &result);
    if (hr == com::S_OK && result) {
      ++run.landed;
    } else {
      if (run.first_error.empty()) run.first_error = hr == com::S_OK ? err : "status " + std::to_string(hr);
      ++run.failed;
    }
  }
  return run;
}

TEST_F(ConcurrentWriteBackTest, ProcessesWritingBackWithoutATransactionWaitForEachOther) {
  constexpr int kProcesses = 4;
  constexpr int kCalls = 2000;
  const char* sql = "select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003";
  const double before = Scalar(sql).ToR8();
  std::vector<std::pair<pid_t, int>> children;
  double expected_change = 0;
  auto start = std::chrono::steady_clock::now();
  for (int p = 0; p < kProcesses; ++p) {
    // Quarters of different sizes per process, so a change lost or counted twice shows.
    const double qty = 0.25 * (p + 1);
    expected_change += kCalls * qty;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      RoutingRun run;
      try {
        run = WriteBackRouting(OpenConnection(), kCalls, qty);
      } catch (const com::Error& e) {
        run.first_error = e.description();
      }
      std::string report = std::to_string(run.landed) + " " + std::to_string(run.failed) + " " + run.first_error;
      ssize_t written = write(fds[1], report.data(), report.size());
      _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    close(fds[1]);
    children.emplace_back(pid, fds[0]);
  }
  int landed = 0;
  for (auto [pid, fd] : children) {
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<size_t>(n));
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
    int process_landed = std::atoi(report.c_str());
    EXPECT_EQ(process_landed, kCalls) << report;
    landed += process_landed;
  }
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("%d of %d write-backs landed from %d processes in %.1f s\n", landed, kProcesses * kCalls, kProcesses,
              wall.count());
  EXPECT_EQ(landed, kProcesses * kCalls);
  EXPECT_DOUBLE_EQ(Scalar(sql).ToR8(), before + expected_change);
}

// A lock held longer than the command timeout ends the write-back the same way on
// every provider, with or without the caller's transaction: trapped, result false,
// and the provider's timeout description in ErrMsg.
TEST_F(ConcurrentWriteBackTest, ALockHeldPastTheTimeoutEndsTheWriteBackWithTheTimeoutError) {
  com::Ptr<ado::Connection> holder = OpenConnection();
  holder->BeginTrans();
  holder->Execute("update sfc_moroutingdetail set CompleteQty = CompleteQty + 100 where MoRoutingDId = 3003");

  const struct {
    const char* name;
    bool in_transaction;
  } cases[] = {{"no transaction", false}, {"the caller's transaction", true}};
  std::vector<RoutingRun> runs(std::size(cases));
  std::vector<double> waited(std::size(cases));
  std::vector<std::thread> threads;
  for (size_t i = 0; i < std::size(cases); ++i) {
    threads.emplace_back([&, i] {
      com::Ptr<ado::Connection> connection = OpenConnection();
      auto start = std::chrono::steady_clock::now();
      if (cases[i].in_transaction) connection->BeginTrans();
      runs[i] = WriteBackRouting(connection, 1, 1);
      if (cases[i].in_transaction) connection->RollbackTrans();
      waited[i] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
  }
  for (std::thread& t : threads) t.join();
  holder->RollbackTrans();

  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(runs[i].failed, 1) << cases[i].name;
    EXPECT_EQ(runs[i].first_error, "Query timeout expired") << cases[i].name;
    // The default command timeout of 30 seconds, not the connection's 15.
    EXPECT_GE(waited[i], 29) << cases[i].name;
    EXPECT_LT(waited[i], 45) << cases[i].name;
  }
  const double before = Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToR8();
  EXPECT_EQ(WriteBackRouting(conn_, 1, 1).landed, 1);
  EXPECT_DOUBLE_EQ(Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToR8(), before + 1);
}

}  // namespace

