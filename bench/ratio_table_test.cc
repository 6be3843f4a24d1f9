// The table that ends a benchmark run: medians, spreads, pairing and providers.

#include "bench/ratio_table.h"

#include <gtest/gtest.h>

#include <string>

namespace mom_bench {
namespace {

TEST(QuantileTest, InterpolatesBetweenNeighbours) {
  struct Case {
    std::vector<double> values;
    double q, expected;
  } cases[] = {
      {{3, 1, 2}, 0.5, 2},        {{4, 1, 3, 2}, 0.5, 2.5}, {{1, 2, 3, 4, 5}, 0.25, 2},
      {{1, 2, 3, 4, 5}, 0.75, 4}, {{7}, 0.25, 7},           {{}, 0.5, 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Quantile(c.values, c.q), c.expected) << c.q;
}

TEST(RatioTableTest, RatioOfMediansWithSpreadPerProvider) {
  RatioTable table;
  // One slow outlier on each side moves neither median.
  for (double t : {11.0, 12.0, 12.0, 13.0, 40.0}) table.Add("MoQtyWrB/component", t, "us", -1, t / 4);
  for (double t : {10.0, 10.0, 10.0, 10.0, 30.0}) table.Add("MoQtyWrB/raw", t, "us", -1, t / 2);
  for (double lines : {2000.0, 2100.0, 1900.0}) table.Add("pg/PushMoFromSo/component", 5000, "ms", lines);
  for (double lines : {4000.0, 4200.0, 3800.0}) table.Add("pg/PushMoFromSo/raw", 2500, "ms", lines);
  table.Add("X/10k", 105, "ms", -1);
  table.Add("X/1k", 10, "ms", -1);
  table.Add("Lonely/component", 1, "us", -1);  // no baseline: no ratio
  const std::string text = table.Render();

  EXPECT_NE(text.find("SQLite      MoQtyWrB                     component/raw           12.0 us      10.0 us   1.20  "
                      "1.10-1.30  5/5    0.60"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("PostgreSQL  PushMoFromSo                 component/raw           5000 ms      2500 ms   2.00  "
                      "2.00-2.00  3/3    -"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("SQLite      X                            10k/1k                   105 ms      10.0 ms  10.50"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Lonely"), std::string::npos) << text;
  EXPECT_NE(text.find("PostgreSQL  PushMoFromSo/component                    2000     1900-2100      3"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("PostgreSQL  PushMoFromSo/raw                          4000     3800-4200      3"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace mom_bench
