// MO generation from the console: demand lines printed as a recordset, handed back to
// PushMoFromSo as @FILE.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tools/mom/cli_test_support.h"

namespace {

using Json = nlohmann::ordered_json;

using MomGenerationCliTest = mom_console_test::CliTest;

TEST_F(MomGenerationCliTest, PrintedLinesGenerateOrdersWhenHandedBack) {
  Init();
  struct Case {
    const char* lines;
    const char* origin;
    int line;
  } cases[] = {{"so-lines", "", 8111}, {"ext-lines", " cFrom=EX", 8602}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    Run lines = Mom(std::string(c.lines) + " " + Db() + (c.line == 8111 ? " SO0002" : " EX0001"));
    ASSERT_EQ(lines.exit_code, 0);
    Json rs = Json::parse(lines.out);
    // Spelled as the component reads them, whichever database answers.
    EXPECT_EQ(rs["fields"], Json::parse(R"(["id", "Krts", "isosid", "iquantity", "cfree1", "cfree2", "cfree3",
        "cfree4", "cfree5", "cfree6", "cfree7", "cfree8", "cfree9", "cfree10", "cinvCode", "dPreMoDate",
        "icusbomid", "cmemo", "igrouptype", "inum", "iinvexchrate", "cSOCode", "iRowNO"])"));
    EXPECT_EQ(rs["rows"][0]["isosid"], c.line);
    const std::string file = dir_.File(std::string(c.lines) + ".json");
    FILE* f = std::fopen(file.c_str(), "w");
    std::fputs(lines.out.c_str(), f);
    std::fclose(f);
    const std::string generate = "call " + Db() + " PushMoFromSo SoRs=@'" + file + "'" + c.origin;
    // The lines given come back as their number only...
    Run call = Mom(generate);
    ASSERT_EQ(call.exit_code, 0) << call.out;
    EXPECT_EQ(Json::parse(call.out)["result"], true) << call.out;
    EXPECT_EQ(Json::parse(call.out)["SoRs"], Json::parse(R"({"records": )" + std::to_string(rs["rows"].size()) + "}"))
        << call.out;
    // ...unless asked for whole (the lines have their orders now: the call refuses them).
    Run echoed = Mom(generate + " --echo-recordsets");
    EXPECT_EQ(Json::parse(echoed.out)["SoRs"]["rows"].size(), rs["rows"].size()) << echoed.out;
    EXPECT_EQ(Json::parse(echoed.out)["SoRs"]["rows"][0]["isosid"], c.line) << echoed.out;
    Run check =
        Mom("sql " + Db() + " \"select count(*) as n from mom_orderdetail where SoDId = " + std::to_string(c.line) +
            " and MoDId > 1006\"");
    EXPECT_EQ(Json::parse(check.out)["n"], 1);
  }
}

}  // namespace
