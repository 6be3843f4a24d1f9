#include "platform/ado/parameter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "testing/test_support.h"

namespace {

using ado_test::Open;
using ado_test::Raised;
using ado_test::RaisedNumber;
using ado_test::Scalar;

com::Ptr<ado::Parameter> Make(ado::DataType type, int32_t size, uint8_t scale, com::Variant value) {
  auto p = ado::Parameter::Create("P", type, ado::adParamInput, size);
  p->numeric_scale = scale;
  p->value = std::move(value);
  return p;
}

TEST(ParameterTest, BindConvertsToTheParameterType) {
  const struct {
    ado::DataType type;
    int32_t size;
    uint8_t scale;
    com::Variant in;
    com::Variant bound;
  } cases[] = {
      {ado::adDecimal, 0, 6, com::Variant(1.23456789), com::Variant(1.234568)},
      {ado::adDecimal, 0, 2, com::Variant(0.125), com::Variant(0.13)},  // half away from zero, not to even
      {ado::adNumeric, 0, 2, com::Variant(-2.675), com::Variant(-2.68)},
      {ado::adDecimal, 0, 0, com::Variant("2.5"), com::Variant(3.0)},
      {ado::adCurrency, 0, 0, com::Variant(1.23456), com::Variant(1.2346)},
      {ado::adTinyInt, 0, 0, com::Variant(int32_t{255}), com::Variant(uint8_t{255})},
      {ado::adSmallInt, 0, 0, com::Variant("12"), com::Variant(int16_t{12})},
      {ado::adInteger, 0, 0, com::Variant(2.5), com::Variant(int32_t{2})},
      {ado::adBoolean, 0, 0, com::Variant(int32_t{1}), com::Variant(true)},
      {ado::adDouble, 0, 0, com::Variant(int32_t{3}), com::Variant(3.0)},
      {ado::adChar, 5, 0, com::Variant("ab"), com::Variant("ab   ")},
      {ado::adWChar, 4, 0, com::Variant("äö"), com::Variant("äö  ")},
      {ado::adVarWChar, 3, 0, com::Variant("äöü"), com::Variant("äöü")},  // characters, not bytes
      {ado::adVarChar, 0, 0, com::Variant(int32_t{42}), com::Variant("42")},
      {ado::adInteger, 0, 0, com::Variant::Null(), com::Variant::Null()},
      {ado::adVarChar, 5, 0, com::Variant(), com::Variant::Null()},
  };
  for (const auto& c : cases) {
    ado::BoundParameter b = Make(c.type, c.size, c.scale, c.in)->Bind();
    EXPECT_EQ(b.value, c.bound) << "type " << c.type << " value " << (c.in.is_null() ? "Null" : c.in.ToString());
  }
  com::Variant date = Make(ado::adDate, 0, 0, com::Variant("2024-03-01 10:20:30"))->Bind().value;
  ASSERT_EQ(date.type(), com::VarType::Date);
  EXPECT_EQ(com::FormatDateTime(date.ToDate()), "2024-03-01 10:20:30");
}

TEST(ParameterTest, BindRefusesValuesThatDoNotFit) {
  const struct {
    ado::DataType type;
    int32_t size;
    com::Variant in;
    int32_t number;
  } cases[] = {
      {ado::adTinyInt, 0, com::Variant(int32_t{256}), com::kErrOverflow},
      {ado::adUnsignedTinyInt, 0, com::Variant(int32_t{-1}), com::kErrOverflow},
      {ado::adInteger, 0, com::Variant("abc"), com::kErrTypeMismatch},
      {ado::adVarChar, 3, com::Variant("abcd"), ado::kErrParameterImproper},
      {ado::adChar, 2, com::Variant("äöü"), ado::kErrParameterImproper},
      {ado::adDecimal, 0, com::Variant(1e23), ado::kErrDataOverflow},
      {ado::adNumeric, 0, com::Variant(std::nan("")), ado::kErrDataOverflow},
      {ado::adDecimal, 0, com::Variant(-HUGE_VAL), ado::kErrDataOverflow},
      {ado::adDecimal, 0, com::Variant("1e300"), ado::kErrDataOverflow},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RaisedNumber([&] { Make(c.type, c.size, 0, c.in)->Bind(); }), c.number) << c.type;
  auto e = Raised([] { Make(ado::adVarChar, 3, 0, com::Variant("abcd"))->Bind(); });
  ASSERT_TRUE(e);
  EXPECT_NE(e->description().find("'P'"), std::string::npos) << e->description();
}

TEST(ParameterTest, ParametersAreFoundByNameWithoutRegardToCase) {
  ado::Parameters params;
  params.Append(ado::Parameter::Create("@OrderId", ado::adInteger));
  params.Append(ado::Parameter::Create("Qty", ado::adDouble));
  EXPECT_EQ(&params.Item("@orderid"), &params.Item(0));
  EXPECT_EQ(&params.Item("QTY"), &params.Item(1));
  EXPECT_EQ(RaisedNumber([&] { params.Item("nope"); }), ado::kErrItemNotFound);
  EXPECT_EQ(RaisedNumber([&] { params.Item(2); }), ado::kErrItemNotFound);
  params.Delete("qty");
  EXPECT_EQ(params.Count(), 1);
}

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = Open(dir_.File("p.db"), true);
    db_->Execute("create table T (k integer primary key, amount decimal(28,6), name varchar(10), d datetime)");
    insert_ = ado::Command::Create();
    insert_->SetActiveConnection(db_);
    insert_->command_text = "insert into T (amount, name, d) values (?, ?, ?)";
    insert_->command_type = ado::adCmdText;
    auto amount = insert_->CreateParameter("Amount", ado::adDecimal, ado::adParamInput);
    amount->precision = 28;
    amount->numeric_scale = 6;
    insert_->parameters().Append(amount);
    insert_->parameters().Append(insert_->CreateParameter("Name", ado::adVarChar, ado::adParamInput, 10));
    insert_->parameters().Append(insert_->CreateParameter("D", ado::adDate, ado::adParamInput));
  }
  testing_support::TempDir dir_;
  com::Ptr<ado::Connection> db_;
  com::Ptr<ado::Command> insert_;
};

TEST_F(CommandTest, ReusedWithNewValuesAndValuesReachTheDatabaseAsBound) {
  (*insert_)["amount"] = 1.23456789;
  (*insert_)["name"] = "first";
  (*insert_)["d"] = com::Variant("2024-01-02 03:04:05");
  int64_t affected = 0;
  EXPECT_FALSE(insert_->Execute(&affected, ado::adExecuteNoRecords));
  EXPECT_EQ(affected, 1);
  (*insert_)["amount"] = com::Variant::Null();
  (*insert_)["name"] = "second";
  (*insert_)["d"] = com::Variant();
  insert_->Execute();

  EXPECT_EQ(Scalar(*db_, "select amount from T where name = 'first'"), com::Variant(1.234568));
  EXPECT_EQ(Scalar(*db_, "select d from T where name = 'first'").ToString(), "2024-01-02 03:04:05");
  EXPECT_EQ(Scalar(*db_, "select typeof(d) || typeof(amount) from T where name = 'first'").ToString(), "textreal");
  EXPECT_EQ(Scalar(*db_, "select count(*) from T where amount is null and d is null").ToI4(), 1);

  (*insert_)["name"] = "much too long";
  EXPECT_EQ(RaisedNumber([&] { insert_->Execute(); }), ado::kErrParameterImproper);
  (*insert_)["name"] = "inf";
  (*insert_)["amount"] = HUGE_VAL;
  EXPECT_EQ(RaisedNumber([&] { insert_->Execute(); }), ado::kErrDataOverflow);
  (*insert_)["amount"] = 1e9;  // more integer digits than a double holds to six places
  EXPECT_EQ(RaisedNumber([&] { insert_->Execute(); }), ado::kErrDataOverflow);
  EXPECT_EQ(Scalar(*db_, "select count(*) from T").ToI4(), 2);
}

TEST_F(CommandTest, SelectWithParametersGivesARecordset) {
  insert_->parameters().Item("Amount").value = 5;
  insert_->parameters().Item("Name").value = "x";
  insert_->Execute();
  auto select = ado::Command::Create();
  select->SetActiveConnection(db_);
  select->command_text = "select name, amount from T where amount > ?";
  select->parameters().Append(select->CreateParameter("min", ado::adInteger, ado::adParamInput, 0, int32_t{4}));
  auto rs = select->Execute();
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->fields().Item("name").Value(), com::Variant("x"));
  (*select)["MIN"] = int32_t{5};
  EXPECT_EQ(select->Execute()->RecordCount(), 0);
}

TEST_F(CommandTest, NeedsAnOpenConnectionAndEveryMarkerBound) {
  auto cmd = ado::Command::Create();
  cmd->command_text = "select 1";
  EXPECT_EQ(RaisedNumber([&] { cmd->Execute(); }), ado::kErrConnectionUnusable);
  auto closed = ado::Connection::Create();
  cmd->SetActiveConnection(closed);
  EXPECT_EQ(RaisedNumber([&] { cmd->Execute(); }), ado::kErrConnectionUnusable);
  cmd->SetActiveConnection(db_);
  cmd->command_text = "select ? + ?";
  cmd->parameters().Append(cmd->CreateParameter("a", ado::adInteger, ado::adParamInput, 0, int32_t{1}));
  EXPECT_EQ(RaisedNumber([&] { cmd->Execute(); }), ado::kErrProvider);
}

}  // namespace
