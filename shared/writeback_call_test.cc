#include "shared/writeback_call.h"

#include <gtest/gtest.h>

#include "platform/ado/connection_string.h"
#include "platform/ado/procedure_catalog.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "testing/test_support.h"

namespace {

// A procedure that returns the code it is given, and records what it received.
std::vector<std::string> g_received;

void RegisterEcho() {
  ado::RegisterProcedure("SQLite", "Usp_Test_Echo", [](ado::ProcedureContext&, std::span<const com::Variant> args) {
    std::string seen;
    for (const com::Variant& a : args) seen += (seen.empty() ? "" : "|") + (a.is_null() ? "NULL" : a.ToString());
    g_received.push_back(seen);
    return args[0].ToI4();
  });
}

class WriteBackCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterEcho();
    com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer");
    // Any SQLite file serves: the procedure runs no statement.
    conn_ = ado::Connection::Create();
    conn_->Open(ado::ConnectionString::ForSqliteFile(dir_.File("x.db")) + ";Mode=Create");
    g_received.clear();
  }
  // Returns the number of the error raised for `code`, 0 for success.
  int32_t Run(int32_t code) {
    mom::WriteBackCall call("Usp_Test_Echo");
    call.Add("Code", mom::WriteBackParam::kRowId).Add("Qty", mom::WriteBackParam::kQuantity);
    call.Set("Code", code).Set("Qty", 1.0000004);
    try {
      call.Execute(conn_);
    } catch (const com::Error& e) {
      last_text_ = e.description();
      return e.number();
    }
    return 0;
  }
  testing_support::TempDir dir_;
  testing_support::ScopedEnv env_{"MOM_REGISTRY", dir_.File("registry.reg")};
  com::Ptr<ado::Connection> conn_;
  std::string last_text_;
};

TEST_F(WriteBackCallTest, ResultCodesMapToMessages) {
  struct Case {
    int32_t code;
    int32_t error;
    const char* text;
  } cases[] = {
      {0, 0, ""},
      {90000, 0, ""},
      {-5, 0, ""},
      {89999, 0, ""},
      {90001, 10001, "记录已经被其他人员删除或更新，请刷新后再试"},
      {90026, 10026, "超过入库上限比例控制,不能保存"},
      {90003, 10003, "未定义的消息（mom.message.10003）"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    last_text_.clear();
    EXPECT_EQ(Run(c.code), c.error);
    EXPECT_EQ(last_text_, c.text);
  }
  EXPECT_EQ(g_received.front(), "0|1");  // the quantity was rounded to six decimals
}

}  // namespace
