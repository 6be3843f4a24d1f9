#include "bench/sales_order_set.h"

#include <cstdio>

namespace mom_bench {

std::string SalesOrderCode(int order_index) {
  char code[16];
  std::snprintf(code, sizeof code, "BSO%05d", order_index);
  return code;
}

std::vector<std::string> SalesOrderCodes(int orders) {
  std::vector<std::string> codes;
  codes.reserve(orders);
  for (int o = 0; o < orders; ++o) codes.push_back(SalesOrderCode(o));
  return codes;
}

int SalesOrderId(int order_index) { return kFirstSalesOrderId + order_index; }

SalesOrderLine SalesOrderLineAt(int order_index, int line_index) {
  const bool red = line_index % 2 == 1;
  const int order_id = SalesOrderId(order_index);
  return {order_id,       order_id * 10 + line_index, line_index + 1,        red ? "FG002" : "FG001",
          1 + line_index, red ? "红色" : nullptr,     red ? "26寸" : nullptr};
}

}  // namespace mom_bench
