// The parts of the service that need no database: its command line and its counters.

#include <gtest/gtest.h>

#include <string>

#include "tools/mom/console_error.h"
#include "tools/mom/serve/metrics.h"
#include "tools/mom/serve/serve_options.h"

namespace {

using mom_console::UsageError;
using mom_service::ParseListenAddress;
using mom_service::ParseServeOptions;

TEST(ListenAddressTest, ParsesAndTellsLoopbackFromTheRest) {
  struct Case {
    const char* text;
    const char* shown;  // "" when refused
    bool loopback;
  } cases[] = {
      {"127.0.0.1:8470", "127.0.0.1:8470", true}, {"127.1.2.3:0", "127.1.2.3:0", true},
      {"localhost:80", "localhost:80", true},     {"[::1]:8470", "[::1]:8470", true},
      {"0.0.0.0:8470", "0.0.0.0:8470", false},    {"10.0.0.5:1", "10.0.0.5:1", false},
      {"[::]:8470", "[::]:8470", false},          {"1270.0.0.1:5", "1270.0.0.1:5", false},
      {"127.0.0.1", "", false},                   {":8470", "", false},
      {"127.0.0.1:65536", "", false},             {"127.0.0.1:-1", "", false},
      {"::1:8470", "", false},                    {"[::1]8470", "", false},
      {"127.0.0.1:84x", "", false},
  };
  for (const Case& c : cases) {
    if (!*c.shown) {
      EXPECT_THROW(ParseListenAddress(c.text), UsageError) << c.text;
      continue;
    }
    mom_service::ListenAddress a = ParseListenAddress(c.text);
    EXPECT_EQ(a.ToString(), c.shown);
    EXPECT_EQ(a.IsLoopback(), c.loopback) << c.text;
  }
  EXPECT_TRUE((mom_service::ListenAddress{"", 0, "/run/mom.sock"}).IsLoopback());
}

TEST(ServeOptionsTest, DefaultsAndRefusals) {
  mom_service::ServeOptions o = ParseServeOptions({"mom.db", "--token-file", "t"});
  EXPECT_EQ(o.listen.ToString(), "127.0.0.1:8470");
  EXPECT_EQ(o.threads, 8);
  EXPECT_EQ(o.max_body_bytes, 1 << 20);
  EXPECT_EQ(o.key_ttl_seconds, 86400);
  o = ParseServeOptions({"--socket", "/tmp/s", "mom.db", "--insecure-loopback", "--key-ttl", "60", "--acc", "002"});
  EXPECT_EQ(o.listen.ToString(), "unix:/tmp/s");
  EXPECT_EQ(o.key_ttl_seconds, 60);
  EXPECT_EQ(o.accounting_set, "002");
  // Beyond loopback with a token is allowed: the address was named.
  EXPECT_EQ(ParseServeOptions({"db", "--listen", "0.0.0.0:9000", "--token-file", "t"}).listen.port, 9000);
  const std::vector<mom_console::Words> refused = {
      {},
      {"db"},
      {"db", "other", "--insecure-loopback"},
      {"db", "--insecure-loopback", "--listen", "192.168.1.2:80"},
      {"db", "--insecure-loopback", "--socket", "/a", "--listen", "127.0.0.1:1"},
      {"db", "--insecure-loopback", "--listen", "127.0.0.1:1", "--listen", "127.0.0.1:2"},
      {"db", "--insecure-loopback", "--socket", std::string(101, 's')},
      {"db", "--insecure-loopback", "--max-body", "10"},
      {"db", "--insecure-loopback", "--key-ttl", "0"},
      {"db", "--insecure-loopback", "--threads"},
      {"db", "--insecure-loopback", "--tls"},
  };
  for (const mom_console::Words& words : refused) {
    std::string shown;
    for (const std::string& w : words) shown += w + " ";
    EXPECT_THROW(ParseServeOptions(words), UsageError) << shown;
  }
}

TEST(MetricsTest, CountsAndCumulativeBuckets) {
  mom_service::Metrics m;
  auto answer = [](int status, const char* result, const char* message, bool stale, bool replayed) {
    mom_service::CallAnswer a;
    a.status = status;
    a.operation = "MoInQtyWrB";
    a.result = result;
    a.message = message;
    a.stale_token = stale;
    a.replayed = replayed;
    return a;
  };
  m.RecordCall(answer(200, "true", "", false, false), 0.0005);   // on a bound: its own bucket
  m.RecordCall(answer(409, "false", "10001", true, false), 0.003);
  m.RecordCall(answer(200, "false", "", false, false), 20);      // beyond every bound
  m.RecordCall(answer(200, "true", "", false, true), 0.0001);
  mom_service::CallAnswer unknown;
  unknown.status = 404;
  m.RecordCall(unknown, 0.1);  // no such operation: not a call
  m.RecordResponse(404);
  const std::string text = m.Render();
  for (const char* line : {
           "mom_calls_total{operation=\"MoInQtyWrB\",status=\"200\"} 3\n",
           "mom_calls_total{operation=\"MoInQtyWrB\",status=\"409\"} 1\n",
           "mom_refusals_total{operation=\"MoInQtyWrB\",message=\"10001\"} 1\n",
           "mom_refusals_total{operation=\"MoInQtyWrB\",message=\"other\"} 1\n",
           "mom_stale_token_refusals_total{operation=\"MoInQtyWrB\"} 1\n",
           "mom_idempotent_replays_total{operation=\"MoInQtyWrB\"} 1\n",
           "mom_call_duration_seconds_bucket{operation=\"MoInQtyWrB\",le=\"0.0005\"} 2\n",
           "mom_call_duration_seconds_bucket{operation=\"MoInQtyWrB\",le=\"0.0025\"} 2\n",
           "mom_call_duration_seconds_bucket{operation=\"MoInQtyWrB\",le=\"0.005\"} 3\n",
           "mom_call_duration_seconds_bucket{operation=\"MoInQtyWrB\",le=\"10\"} 3\n",
           "mom_call_duration_seconds_bucket{operation=\"MoInQtyWrB\",le=\"+Inf\"} 4\n",
           "mom_call_duration_seconds_count{operation=\"MoInQtyWrB\"} 4\n",
           "mom_call_duration_seconds_sum{operation=\"MoInQtyWrB\"} 20.0036\n",
           "mom_http_responses_total{status=\"404\"} 1\n",
           "# TYPE mom_call_duration_seconds histogram\n",
       })
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  EXPECT_EQ(text.find("status=\"404\"} 1\nmom_calls"), std::string::npos);
  EXPECT_EQ(text.find("operation=\"\""), std::string::npos);
}

}  // namespace
