// The generation command against the generation procedure, called on its own (without
// a run's session table), as any caller of the procedure may.

#include "mogen/gen_mo_from_demand.h"

#include <gtest/gtest.h>

#include "database/procedure_signatures.h"
#include "platform/ado/parameter.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

class GenMoFromDemandTest : public MomFixture {
 protected:
  int32_t Generate(const std::string& code, const char* item, com::Variant bom, const char* free1 = nullptr,
                   const char* free2 = nullptr) {
    com::Ptr<ado::Command> cmd = mom::mogen::GenMoFromDemand();
    cmd->SetActiveConnection(conn_);
    ado::Command& c = *cmd;
    c["AccId"] = com::Variant("001");
    c["MoCode"] = com::Variant(code);
    c["SoDId"] = com::Variant(8111);
    c["CBomId"] = bom;
    c["InvCode"] = com::Variant(item);
    for (int i = 1; i <= 10; ++i) c["Free" + std::to_string(i)] = com::Variant::Null();
    if (free1) c["Free1"] = com::Variant(free1);
    if (free2) c["Free2"] = com::Variant(free2);
    c["Qty"] = com::Variant(2.5);
    c["DueDate"] = com::Variant(com::Date{45500});
    c["createuser"] = com::Variant("tester");
    c["createdate"] = com::Variant(com::Date{45400.5});
    c["remark"] = com::Variant::Null();
    c["SoType"] = com::Variant(uint8_t{1});
    c["from"] = com::Variant("SA");
    c["igrouptype"] = com::Variant(0);
    c["inum"] = com::Variant::Null();
    c["iinvexchrate"] = com::Variant::Null();
    c.Execute(nullptr, ado::adExecuteNoRecords);
    return c["Return"].ToI4();
  }
  com::Variant Of(const std::string& column, const std::string& code) {
    return Scalar("select d." + column +
                  " from mom_orderdetail d join mom_order o on o.MoId = d.MoId "
                  "where o.MoCode = '" +
                  code + "'");
  }
};

TEST_F(GenMoFromDemandTest, ReturnCodesAndTheBillChosen) {
  struct Case {
    const char* code;
    const char* item;
    com::Variant bom;
    const char* free1;
    const char* free2;
    int32_t result;
    int bom_used;
    int allocations;
  } cases[] = {
      {"MOX001", "FG001", com::Variant::Null(), nullptr, nullptr, 0, 901, 7},
      {"MOX001", "FG002", com::Variant::Null(), nullptr, nullptr, 90022, 901, 7},  // the code is taken
      {"MOX002", "FG001", com::Variant(905), nullptr, nullptr, 0, 901, 7},         // 905 is not valid
      {"MOX003", "FG002", com::Variant::Null(), "红色", "26寸", 0, 906, 3},
      {"MOX004", "CP001", com::Variant::Null(), nullptr, nullptr, 90010, 0, 0},  // no bill
      {"MOX005", "FG002", com::Variant::Null(), "蓝色", nullptr, 90010, 0, 0},   // no such part
      {"   ", "FG001", com::Variant::Null(), nullptr, nullptr, 90002, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Generate(c.code, c.item, c.bom, c.free1, c.free2), c.result);
    if (c.bom_used) {
      EXPECT_EQ(Of("BomId", c.code).ToI4(), c.bom_used);
      EXPECT_EQ(Scalar("select count(*) from mom_moallocate a join mom_orderdetail d on d.MoDId = a.MoDId join "
                       "mom_order o on o.MoId = d.MoId where o.MoCode = '" +
                       std::string(c.code) + "'")
                    .ToI4(),
                c.allocations);
    } else {
      EXPECT_TRUE(Of("BomId", c.code).is_empty());
    }
  }
  // Null free items are stored as nulls, not as empty texts.
  EXPECT_TRUE(Of("Free1", "MOX001").is_null());
  EXPECT_EQ(Of("Free1", "MOX003").ToString(), "红色");
  EXPECT_EQ(Of("SoCode", "MOX001").ToString(), "SO0002");
  EXPECT_DOUBLE_EQ(Of("Qty", "MOX001").ToR8(), 2.5);
}

// The command binds by position, so its parameters must be the procedure's signature:
// "Return" first, then every input with its name, type, size, precision and scale.
TEST(GenMoFromDemandCommand, ParametersAreTheProceduresSignature) {
  com::Ptr<ado::Command> cmd = mom::mogen::GenMoFromDemand();
  EXPECT_EQ(cmd->command_text, database::kGenMoFromSo.name);
  const auto& inputs = database::kGenMoFromSo.inputs;
  ASSERT_EQ(cmd->parameters().Count(), static_cast<int32_t>(inputs.size() + 1));
  EXPECT_EQ(cmd->parameters().Item(0).name, "Return");
  EXPECT_EQ(cmd->parameters().Item(0).type, ado::adInteger);
  EXPECT_EQ(cmd->parameters().Item(0).direction, ado::adParamReturnValue);
  for (size_t i = 0; i < inputs.size(); ++i) {
    const ado::Parameter& p = cmd->parameters().Item(static_cast<int32_t>(i + 1));
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.name, inputs[i].name);
    EXPECT_EQ(p.type, inputs[i].type);
    EXPECT_EQ(p.direction, ado::adParamInput);
    EXPECT_EQ(p.size, inputs[i].size);
    EXPECT_EQ(p.precision, inputs[i].precision);
    EXPECT_EQ(p.numeric_scale, inputs[i].scale);
  }
}

TEST_F(GenMoFromDemandTest, AnAutomaticCodeMovesTheNumberingPastIt) {
  EXPECT_EQ(Generate("MO000050", "FG001", com::Variant::Null()), 0);
  EXPECT_EQ(Scalar("select NextNumber from sys_doccode where DocType = 'MO21'").ToI4(), 51);
  EXPECT_EQ(Generate("MO000020", "FG001", com::Variant::Null()), 0);  // an earlier code leaves it
  EXPECT_EQ(Scalar("select NextNumber from sys_doccode where DocType = 'MO21'").ToI4(), 51);
}

}  // namespace
