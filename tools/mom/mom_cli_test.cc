// The console end to end: it is run as a program, as integrators run it.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "tools/mom/cli_test_support.h"

namespace {

using Json = nlohmann::ordered_json;

using MomCliTest = mom_console_test::CliTest;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(MomCliTest, InitRefusesToOverwriteAndOtherCommandsNeverCreate) {
  Init();
  EXPECT_EQ(Mom("init " + Db()).exit_code, 2);
  EXPECT_EQ(Mom("init " + Db() + " --sample --force").exit_code, 0);
  const std::string missing = dir_.File("missing.db");
  EXPECT_EQ(Mom("sql '" + missing + "' 'select 1'").exit_code, 2);
  EXPECT_EQ(Mom("call '" + missing + "' MoRoutingWrB MoRoutingDId=1 fNetChgQty=1").exit_code, 2);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

// An SQLite connection string names the file to create by its Data Source.
TEST_F(MomCliTest, InitCreatesTheFileAnSqliteConnectionStringNames) {
  const std::string file = dir_.File("named.db");
  const std::string cs = "'Provider=SQLite;Data Source=" + file + "'";
  EXPECT_EQ(Mom("init " + cs + " --sample").exit_code, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
  EXPECT_EQ(Mom("init " + cs).exit_code, 2);
  Run r = Mom("sql " + cs + " 'select MoCode from mom_order where MoId = 101'");
  EXPECT_NE(r.out.find("SMO0001"), std::string::npos) << r.out;
}

// A connection string of a PostgreSQL server names the database to create there
// (MOM_TEST_PG: the server's base connection string).
TEST_F(MomCliTest, InitCreatesAServerDatabaseFromAConnectionString) {
  const char* base = std::getenv("MOM_TEST_PG");
  if (!base) GTEST_SKIP() << "MOM_TEST_PG is not set";
  const std::string server = std::string("'") + base + ";Database=mom_cli_" + std::to_string(::getpid());
  EXPECT_EQ(Mom("init " + server + "' --sample --force").exit_code, 0);
  EXPECT_EQ(Mom("init " + server + "'").exit_code, 2);
  Run r = Mom("sql " + server + "' 'select MoCode from mom_order where MoId = 101'");
  EXPECT_NE(r.out.find("SMO0001"), std::string::npos) << r.out;
  EXPECT_EQ(Mom("init " + server + "' --force").exit_code, 0);
  r = Mom("sql " + server + "' 'select count(*) as n from mom_order'");
  EXPECT_NE(r.out.find("0"), std::string::npos) << r.out;
  Mom("sql '" + std::string(base) + ";Database=postgres' 'DROP DATABASE mom_cli_" + std::to_string(::getpid()) +
      " WITH (FORCE)'");
}

TEST_F(MomCliTest, SqlPrintsOneJsonObjectPerRow) {
  Init();
  Run r = Mom("sql " + Db() +
              " \"select MoRoutingDId, convert(char,convert(money,Krts),2) as Krts from sfc_moroutingdetail "
              "where MoRoutingDId in (3001, 3003) order by MoRoutingDId\"");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  size_t newline = r.out.find('\n');
  Json first = Json::parse(r.out.substr(0, newline));
  EXPECT_EQ(first["MoRoutingDId"], 3001);
  EXPECT_EQ(first["Krts"].get<std::string>().size(), 30u);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
}

TEST_F(MomCliTest, CallPrintsTheResultAndEveryByReferenceArgument) {
  Init();
  Run r = Mom("call " + Db() + " moroutingwrb moroutingdid=3003 FNETCHGQTY=2 ErrMsg=kept");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  Json j = Json::parse(r.out);
  EXPECT_EQ(j.begin().key(), "result");
  EXPECT_EQ(j["result"], true);
  EXPECT_EQ(j["MoRoutingDId"], 3003);
  EXPECT_EQ(j["ErrMsg"], "kept");
  EXPECT_TRUE(j["Krts"].is_null());  // not given, so not passed
  EXPECT_EQ(j["oConn"], "(Connection)");
  // Committed: the routing line now holds 5.
  Run q = Mom("sql " + Db() + " 'select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003'");
  EXPECT_EQ(Json::parse(q.out)["CompleteQty"], 5);

  // --rollback leaves the database as it was.
  ASSERT_EQ(Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2 --rollback").exit_code, 0);
  q = Mom("sql " + Db() + " 'select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003'");
  EXPECT_EQ(Json::parse(q.out)["CompleteQty"], 5);

  // A refusal is a result, not an error.
  r = Mom("call " + Db() + " MoInQtyWrB iMoDId=1002 fNetChgQty=1 cBusType=产品入库 Krts=1.0000");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  j = Json::parse(r.out);
  EXPECT_EQ(j["result"], false);
  EXPECT_EQ(j["ErrMsg"], "记录已经被其他人员删除或更新，请刷新后再试");
}

TEST_F(MomCliTest, AnErrorStatusExitsThree) {
  Init();
  Run r = Mom("call " + Db() + " MoQtyWrB iMoDId=999999 bBPFlag=false fNetChgQty=1 cBusType=产品入库 Krts=");
  EXPECT_EQ(r.exit_code, 3);
  Json j = Json::parse(r.out);
  EXPECT_EQ(j["error"]["number"], 3021);
  EXPECT_FALSE(j["error"]["description"].get<std::string>().empty());
}

TEST_F(MomCliTest, EcnPicturesTheDialogOrFailsWithoutADisplay) {
  Init();
  const std::string png = dir_.File("ecn.png");
  Run r = Mom("ecn " + Db() + " --type 2 --screenshot '" + png + "'", "QT_QPA_PLATFORM=offscreen");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  Json j = Json::parse(r.out);
  EXPECT_EQ(j["ApplyDId"], 0);
  EXPECT_EQ(j["DocCode"], "");
  EXPECT_EQ(j["result"], 0);
  char signature[8] = {};
  FILE* f = std::fopen(png.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");

  r = Mom("ecn " + Db(), "DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=");
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_NE(Json::parse(r.out)["error"]["description"].get<std::string>().find("没有可用的显示器"), std::string::npos);
}

// A port on the loopback that takes connections and never answers: an X display
// that hangs.
class SilentDisplay {
 public:
  SilentDisplay() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    for (int n = 200; n < 300 && number_ < 0; ++n) {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(6000 + n));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 && listen(fd_, 8) == 0) number_ = n;
    }
  }
  ~SilentDisplay() { close(fd_); }
  SilentDisplay(const SilentDisplay&) = delete;
  SilentDisplay& operator=(const SilentDisplay&) = delete;
  std::string Name() const { return "127.0.0.1:" + std::to_string(number_); }

 private:
  int fd_ = -1;
  int number_ = -1;
};

// Every way the window cannot be shown, or would wait for nobody, is an error of the
// call (440, in Chinese) and the process ends normally.
TEST_F(MomCliTest, EcnWithoutAUsableWindowFailsAndNeverWaits) {
  Init();
  SilentDisplay silent;
  const std::string png = dir_.File("never.png");
  struct Case {
    std::string args, env, says;
  };
  const Case cases[] = {
      {"", "DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=xcb", "没有设置 DISPLAY"},
      {"", "DISPLAY=:4711 WAYLAND_DISPLAY= QT_QPA_PLATFORM=", "连接不上显示器“:4711”"},
      {"", "DISPLAY=" + silent.Name() + " WAYLAND_DISPLAY= QT_QPA_PLATFORM=", "没有应答"},
      {" --screenshot '" + png + "'", "DISPLAY=" + silent.Name() + " QT_QPA_PLATFORM=", "没有应答"},
      {"", "QT_QPA_PLATFORM=nosuch", "找不到图形平台插件“nosuch”"},
      {"", "QT_QPA_PLATFORM=offscreen", "不在屏幕上显示窗口"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.env + c.args);
    auto started = std::chrono::steady_clock::now();
    Run r = Mom("ecn " + Db() + c.args, c.env);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(r.exit_code, 3) << r.out;
    Json j = Json::parse(r.out);
    EXPECT_EQ(j["error"]["number"], 440);
    EXPECT_NE(j["error"]["description"].get<std::string>().find(c.says), std::string::npos) << r.out;
  }
  EXPECT_FALSE(std::ifstream(png).good());
}

// A picture taken where a handler fails ends with that error instead of a message box
// that nobody answers.
TEST_F(MomCliTest, EcnScreenshotEndsWithTheErrorOfAFailingHandler) {
  Init();
  ASSERT_EQ(Mom("sql " + Db() + " \"alter table ecn_ecnapply rename to ecn_gone\"").exit_code, 0);
  const std::string png = dir_.File("failed.png");
  auto started = std::chrono::steady_clock::now();
  Run r = Mom("ecn " + Db() + " --screenshot '" + png + "'", "QT_QPA_PLATFORM=offscreen");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_EQ(r.exit_code, 3) << r.out;
  Json j = Json::parse(r.out);
  EXPECT_NE(j["error"]["number"], 0);
  EXPECT_NE(j["error"]["description"].get<std::string>().find("ecn_ecnapply"), std::string::npos) << r.out;
  EXPECT_FALSE(j.contains("result"));
}

TEST_F(MomCliTest, BadUsageExitsTwo) {
  Init();
  for (const std::string& args : {
           std::string("call ") + Db() + " NoSuchOperation",
           std::string("call ") + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=1 Bogus=1",
           std::string("call ") + Db() + " MoRoutingWrB MoRoutingDId=abc fNetChgQty=1",
           std::string("call ") + Db() + " MoRoutingWrB fNetChgQty=1",
           std::string("call ") + Db() + " MoQtyWrB iMoDId=1001 bBPFlag=maybe fNetChgQty=1 cBusType=x Krts=",
           std::string("call ") + Db() + " MoInQtyWrB iMoDId=1 fNetChgQty=1 cBusType=x Krts= CurDate=2024-13-01",
           std::string("call ") + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=1 oConn=x",
           std::string("ecn ") + Db() + " --type x",
           std::string("ecn"),
           std::string("frobnicate"),
       }) {
    EXPECT_EQ(Mom(args).exit_code, 2) << args;
  }
  EXPECT_EQ(Mom("--help").exit_code, 0);
  EXPECT_EQ(Mom("call --help").exit_code, 0);
}

// Arguments the call could not echo as JSON are refused before anything is called
// (a caller told of a failure after a commit would apply the change twice).
TEST_F(MomCliTest, CallRefusesArgumentsThatAreNotUtf8BeforeCalling) {
  Init();
  const std::string routing = " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2";
  const struct {
    const char* name;
    std::string args;
    const char* shown;  // how the message shows the bad bytes
  } cases[] = {
      {"an echoed text", routing + " 'ErrMsg=kept \xB2\xFA'", "kept \\xB2\\xFA"},
      {"a token", routing + " 'Krts=\xFF'", "\\xFF"},
      {"an argument's name", routing + " '\xC0\xAF=1'", "\\xC0\\xAF"},
      {"the operation", " 'MoRoutingWrB\xE9' MoRoutingDId=3003 fNetChgQty=2", "MoRoutingWrB\\xE9"},
      {"the user", routing + " --user 'adm\xEDn'", "adm\\xEDn"},
      {"without a transaction", routing + " --no-transaction 'ErrMsg=\xED\xA0\x80'", "\\xED\\xA0\\x80"},
  };
  for (const auto& c : cases) {
    Run r = Mom("call " + Db() + c.args);
    EXPECT_EQ(r.exit_code, 2) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    std::string message = ReadFile(dir_.File("stderr"));
    EXPECT_NE(message.find("not valid UTF-8"), std::string::npos) << c.name << ": " << message;
    EXPECT_NE(message.find(c.shown), std::string::npos) << c.name << ": " << message;
  }
  Run q = Mom("sql " + Db() + " 'select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003'");
  EXPECT_EQ(Json::parse(q.out)["CompleteQty"], 3);  // nothing was called
}

TEST_F(MomCliTest, CallWithoutATransactionCommitsEachStatementOnItsOwn) {
  Init();
  const std::string quantity = "'select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003'";
  Run r = Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2 --no-transaction");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(Json::parse(r.out)["result"], true);
  EXPECT_EQ(Json::parse(Mom("sql " + Db() + " " + quantity).out)["CompleteQty"], 5);

  // A refusal is still a result, and nothing is left behind.
  r = Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2 Krts=1.0000 --no-transaction");
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(Json::parse(r.out)["result"], false);
  EXPECT_EQ(Json::parse(Mom("sql " + Db() + " " + quantity).out)["CompleteQty"], 5);

  // Without a transaction there is nothing to roll back.
  EXPECT_EQ(Mom("call " + Db() + " MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2 --no-transaction --rollback").exit_code,
            2);
  EXPECT_EQ(Json::parse(Mom("sql " + Db() + " " + quantity).out)["CompleteQty"], 5);
}

}  // namespace

