#include "testing/mom_fixture.h"

#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/creation.h"

namespace testing_support {

void MomFixture::SetUp() {
  dir_ = std::make_unique<TempDir>();
  registry_env_ = std::make_unique<ScopedEnv>("MOM_REGISTRY", dir_->File("registry.reg"));
  com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer");
  com::RunRegistrationEntry(MOM_COMPONENT_LIBRARY, "DllRegisterServer");
  if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
  database_ = std::make_unique<TestDatabase>(*dir_);
  connection_string_ = database_->connection_string();
  conn_ = OpenConnection();
  mom_ = com::CreateObject("KRZ7DEVUZIda.clsMOM");
  early_ = mom_.As<mom::_clsMOM>();
  ASSERT_TRUE(early_);
}

void MomFixture::TearDown() {
  early_.reset();
  mom_.reset();
  conn_.reset();
  database_.reset();
  registry_env_.reset();
  dir_.reset();
}

com::Ptr<ado::Connection> MomFixture::OpenConnection() {
  com::Ptr<ado::Connection> c = ado::Connection::Create();
  c->Open(connection_string_);
  return c;
}

std::string MomFixture::Token(const std::string& table, const std::string& key, int32_t id) {
  return Scalar("select convert(char,convert(money,Krts),2) as Krts from " + table + " where " + key + " = " +
                std::to_string(id))
      .ToString();
}

com::Variant MomFixture::Scalar(const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, conn_.get());
  if (rs->Eof()) return com::Variant();
  return rs->fields().Item(0).Value();
}

}  // namespace testing_support
