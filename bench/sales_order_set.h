#pragma once
// The open sales orders that the generation benchmarks turn into MOs, the same on
// every provider: 500 orders BSO00000.. of four lines each, alternating FG001 and
// FG002 in red / 26 inch, with ids above the sample company's. 2,000 lines take about
// a second on SQLite, so each side of a pair can be repeated in a short run.

#include <string>
#include <vector>

namespace mom_bench {

inline constexpr int kSalesOrders = 500;
inline constexpr int kLinesPerSalesOrder = 4;
inline constexpr int kSalesLines = kSalesOrders * kLinesPerSalesOrder;
inline constexpr int kFirstSalesOrderId = 100000;
inline constexpr char kSalesOrderDate[] = "2024-05-01 00:00:00";
inline constexpr char kSalesLineDueDate[] = "2024-06-01 00:00:00";

struct SalesOrderLine {
  int order_id;
  int line_id;  // isosid
  int row_no;
  const char* item;
  int qty;
  const char* free1;  // null for a line without free items
  const char* free2;
};

// "BSO00042" for the order of index 42.
std::string SalesOrderCode(int order_index);
// The codes of the first `orders` orders.
std::vector<std::string> SalesOrderCodes(int orders = kSalesOrders);
int SalesOrderId(int order_index);
SalesOrderLine SalesOrderLineAt(int order_index, int line_index);

}  // namespace mom_bench
