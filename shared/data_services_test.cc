// Captions, server date, recordset filling, login connection and quantity decimals on
// the embedded sample database.

#include "shared/data_services.h"

#include <gtest/gtest.h>

#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "shared/login_connection.h"
#include "testing/mom_fixture.h"

namespace {

using namespace mom::XMLRSData;

class DataServicesTest : public testing_support::MomFixture {
 protected:
  int32_t ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const com::Error& e) {
      return e.number();
    }
    return 0;
  }
};

TEST_F(DataServicesTest, CaptionsArePaddedToTenCharacters) {
  const std::string define = GetDefineCaptions(conn_);
  EXPECT_EQ(std::count(define.begin(), define.end(), '|'), 16);
  // Keep just two free items so the whole string can be read.
  conn_->Execute("delete from UserDef where cID in ('28','29','30','31','32','33','34','35')");
  conn_->Execute("update UserDef set cItemName = '0123456789' where cID = '20'");
  conn_->Execute("update UserDef set cItemName = '颜色尺寸' where cID = '21'");
  EXPECT_EQ(GetFreeCaptions(conn_), "|<0123456789  |<颜色尺寸        ");
  conn_->Execute("update UserDef set cItemName = '01234567890' where cID = '20'");
  conn_->Execute("update UserDef set cItemName = NULL where cID = '21'");  // falls back to cItem
  EXPECT_EQ(GetFreeCaptions(conn_), "|<01234567890  |<自由项2        ");
  // Neither caption column set: the table allows it only without its constraint.
  conn_->Execute("drop table UserDef");
  conn_->Execute("create table UserDef (cID varchar(2), cItem varchar(40), cItemName varchar(40))");
  conn_->Execute("insert into UserDef values ('21', NULL, NULL)");
  EXPECT_EQ(ErrorOf([&] { GetFreeCaptions(conn_); }), com::kErrInvalidUseOfNull);
  conn_->Execute("delete from UserDef where cID in ('20', '21')");
  EXPECT_EQ(GetFreeCaptions(conn_), "");
}

TEST_F(DataServicesTest, ServerDateIsADate) {
  com::Date d = GetServerDate(conn_);
  EXPECT_NEAR(d.days, com::Now().days, 1.0);
  conn_->Close();
  EXPECT_NE(ErrorOf([&] { GetServerDate(conn_); }), 0);
}

TEST_F(DataServicesTest, FillRecordsetConvertsValuesToTheFieldTypes) {
  mom::RecordsetRef rs = ado::Recordset::Create();
  rs->fields().Append("Id", ado::adInteger, 0, ado::adFldIsNullable);
  rs->fields().Append("Name", ado::adVarWChar, 20, ado::adFldIsNullable);
  rs->fields().Append("Flag", ado::adBoolean, 0, ado::adFldIsNullable);
  rs->fields().Append("When", ado::adDate, 0, ado::adFldIsNullable);
  rs->Open();
  mom::RecordsetRef original = rs;
  std::string data =
      "<?xml version=\"1.0\"?><NewDataSet xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
      "<Row><Id>7</Id><Name>变更单</Name><Flag>true</Flag><When>2004-03-07T10:00:00</When></Row>"
      "<Other><Id>99</Id></Other>"
      "<Row><Id>8</Id><Name xsi:nil=\"true\"/><Flag>0</Flag></Row></NewDataSet>";
  std::string table = "Row";
  com::SafeArray names;
  for (const char* n : {"Id", "Name", "Flag", "When"}) names.items.emplace_back(n);
  com::Variant first(names), second(names);
  FillRecordset(rs, data, table, first, second);
  ASSERT_TRUE(rs);
  EXPECT_NE(rs.get(), original.get());  // the server handed back a new recordset
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  EXPECT_EQ(rs->fields().Item("Id").Value().type(), com::VarType::I4);
  EXPECT_EQ(rs->fields().Item("Name").Value().ToString(), "变更单");
  EXPECT_TRUE(rs->fields().Item("Flag").Value().ToBool());
  EXPECT_EQ(com::FormatDateTime(rs->fields().Item("When").Value().ToDate()), "2004-03-07 10:00:00");
  rs->MoveNext();
  EXPECT_TRUE(rs->fields().Item("Name").Value().is_null());
  EXPECT_TRUE(rs->fields().Item("When").Value().is_null());
  EXPECT_FALSE(rs->fields().Item("Flag").Value().ToBool());

  std::string broken = "<NewDataSet><Row><Id>1</Row>";
  try {
    FillRecordset(rs, broken, table, first, second);
    FAIL();
  } catch (const com::Error& e) {
    EXPECT_NE(e.description().find("不是格式正确的 XML"), std::string::npos) << e.description();
  }
  std::string bad_value = "<NewDataSet><Row><Id>seven</Id></Row></NewDataSet>";
  try {
    FillRecordset(rs, bad_value, table, first, second);
    FAIL();
  } catch (const com::Error& e) {
    EXPECT_EQ(e.description(), "数据集 Row 第 1 行的字段 Id：值“seven”不能转换为整数");
  }
}

TEST_F(DataServicesTest, LoginConnectionAndQuantityDecimals) {
  com::Ptr<com::IDispatch> login = com::CreateObject("MomSuite.Login");
  com::PutProperty(login.get(), "KrDbName", com::Variant(connection_string_));
  mom::ConnectionRef cn = mom::OpenLoginConnection(login);
  EXPECT_EQ(cn->ConnectionString(), connection_string_);
  EXPECT_EQ(cn->ConnectionTimeout(), 180);
  EXPECT_EQ(mom::GetQtyDecimals(cn), 2);
  cn->Execute("update AccInformation set cValue = '4' where cName = 'iStrsQuanDecDgt'");
  EXPECT_EQ(mom::GetQtyDecimals(cn), 4);
  cn->Execute("delete from AccInformation");
  EXPECT_EQ(mom::GetQtyDecimals(cn), 0);

  com::PutProperty(login.get(), "KrDbName", com::Variant::Null());
  EXPECT_EQ(ErrorOf([&] { mom::OpenLoginConnection(login); }), com::kErrInvalidUseOfNull);
  com::PutProperty(login.get(), "KrDbName", com::Variant("Provider=SQLite;Data Source=" + dir_->File("none.db")));
  EXPECT_NE(ErrorOf([&] { mom::OpenLoginConnection(login); }), 0);
}

}  // namespace
