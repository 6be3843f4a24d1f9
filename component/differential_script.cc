#include "component/differential_script.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace differential {

namespace {

const char* const kOperationNames[] = {"OpMoveQtyWrB",   "MoRoutingWrB",   "MoInQtyWrB", "MORMOutQtyWrB",
                                       "MoQtyWrB",       "MoQtyWrBfromQc", "STPullfromMORM", "STPullfromMORP",
                                       "GetBFRds",       "PushMoFromSo",   "change data"};
const char* const kTableNames[] = {"order line", "allocation", "routing line", "move line"};
const char* const kTokenNames[] = {"fresh", "empty", "blank", "stale", "omitted"};

// How often each operation comes, in parts of the weights' sum.
struct Weight {
  Operation operation;
  uint32_t weight;
};
constexpr Weight kWeights[] = {
    {Operation::kOpMoveQtyWrB, 10},   {Operation::kMoRoutingWrB, 12},   {Operation::kMoInQtyWrB, 12},
    {Operation::kMORMOutQtyWrB, 12},  {Operation::kMoQtyWrB, 13},       {Operation::kMoQtyWrBfromQc, 9},
    {Operation::kSTPullfromMORM, 4},  {Operation::kSTPullfromMORP, 4},  {Operation::kGetBFRds, 10},
    {Operation::kPushMoFromSo, 4},    {Operation::kChangeData, 6},
};

const char* const kSalesOrders[] = {"SO0001", "SO0002", "SO0003", "NO-SUCH"};
const char* const kExternalOrders[] = {"EX0001", "EX0002", "NO-SUCH"};

}  // namespace

std::string Number(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, end);
}

double Script::Quantity() {
  static constexpr double kSpecial[] = {0,
                                        -0.0,
                                        999999999.999999,
                                        -999999999.999999,
                                        999999999.9999996,
                                        1e9,
                                        1e23,
                                        1e308,
                                        -1e308,
                                        4.9e-324,
                                        std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::quiet_NaN()};
  const uint32_t kind = Below(100);
  if (kind < 40) return static_cast<double>(Below(26)) - 5;                    // small whole, negative too
  if (kind < 60) return (static_cast<double>(Below(4000000)) - 1000000) / std::pow(10.0, 2 + Below(5));
  if (kind < 72) return (static_cast<double>(Below(20000000)) - 5000000) / 1e7;  // seven decimals
  if (kind < 78) return (static_cast<double>(Below(2000)) - 1000) * 0.0000005;   // halves at the seventh
  if (kind < 84) return 999999990 + static_cast<double>(Below(20)) / 2;          // about the limit
  return kSpecial[Below(std::size(kSpecial))];
}

RowPick Script::Pick(Table table) {
  RowPick p;
  p.table = table;
  if (Chance(8)) {
    static constexpr int32_t kMissing[] = {999999, 0, -1, 2147483647};
    p.missing = true;
    p.missing_id = kMissing[Below(std::size(kMissing))];
  } else {
    p.place = Below(1000);
  }
  return p;
}

std::string Script::BusType() {
  static const char* const kTypes[] = {"产品入库", "产品入库", "产品检验", "产品检验", "生产领料",
                                       "生产领料", "产品入库 ", "", "其他"};
  return kTypes[Below(std::size(kTypes))];
}

Call Script::Next() {
  Call c;
  uint32_t total = 0;
  for (const Weight& w : kWeights) total += w.weight;
  uint32_t roll = Below(total);
  for (const Weight& w : kWeights) {
    if (roll < w.weight) {
      c.operation = w.operation;
      break;
    }
    roll -= w.weight;
  }
  c.quantity = Quantity();
  c.bus_type = BusType();
  c.flag = Chance(50);
  c.check = static_cast<Optional>(Below(3));
  c.cur_date = static_cast<int>(Below(3));
  const uint32_t token = Below(100);
  c.token = token < 55 ? TokenChoice::kFresh
            : token < 70 ? TokenChoice::kEmpty
            : token < 77 ? TokenChoice::kBlank
            : token < 92 ? TokenChoice::kStale
                         : TokenChoice::kOmitted;
  const uint32_t transaction = Below(100);
  c.transaction = transaction < 50 ? Transaction::kNone : transaction < 85 ? Transaction::kCommit : Transaction::kRollback;
  c.err_in = Chance(20) ? "caller's text" : "";

  switch (c.operation) {
    case Operation::kOpMoveQtyWrB: c.row = Pick(Table::kMoveLine); break;
    case Operation::kMoRoutingWrB: c.row = Pick(Table::kRoutingLine); break;
    case Operation::kMoInQtyWrB:
    case Operation::kGetBFRds: c.row = Pick(Table::kOrderLine); break;
    case Operation::kMORMOutQtyWrB:
    case Operation::kSTPullfromMORM:
    case Operation::kSTPullfromMORP: c.row = Pick(Table::kAllocation); break;
    case Operation::kMoQtyWrB: c.row = Pick(c.flag && Chance(40) ? Table::kAllocation : Table::kOrderLine); break;
    case Operation::kMoQtyWrBfromQc:
      c.row = Pick(Table::kOrderLine);
      c.second = Pick(Table::kAllocation);
      // Each identifier is also left out (0 or less) now and then.
      if (Chance(40)) c.second.missing = true, c.second.missing_id = Chance(50) ? 0 : -3;
      if (Chance(20)) c.row.missing = true, c.row.missing_id = 0;
      break;
    case Operation::kPushMoFromSo: {
      c.external_lines = Chance(50);
      static const char* const kFrom[] = {"SA", "SA", "<omitted>", "EX", "EX", "sa", ""};
      c.from = kFrom[Below(std::size(kFrom))];
      const auto& orders = c.external_lines ? kExternalOrders : kSalesOrders;
      const uint32_t count = c.external_lines ? std::size(kExternalOrders) : std::size(kSalesOrders);
      for (uint32_t i = 0; i < count; ++i)
        if (Chance(45)) c.orders.push_back(orders[i]);
      if (c.orders.empty()) c.orders.push_back(orders[Below(count)]);
      for (uint32_t n = Below(3); n > 0; --n) {
        LineChange change;
        change.place = Below(100);
        change.set_quantity = Chance(80);
        change.quantity = Quantity();
        change.unknown_item = !change.set_quantity || Chance(10);
        c.changes.push_back(change);
      }
      break;
    }
    case Operation::kChangeData: {
      c.change = static_cast<int>(Below(6));
      static const char* const kValues[6][6] = {
          {"3", "4", "4", "3", "1", "4"},            // order line Status
          {"'1'", "'0'", "'1'", "'0'", "'1'", "'0'"},  // order line SfcFlag
          {"'1'", "'0'", "'0'", "'0'", "'0'", "'1'"},  // allocation DeleteFlag
          {"'2'", "'0'", "'4'", "' '", "'2a'", "'6'"},  // quantity decimals
          {"1, BaseQtyD = 128", "24, BaseQtyD = 2", "1, BaseQtyD = 3", "2, BaseQtyD = 1", "1, BaseQtyD = 128",
           "3, BaseQtyD = 7"},                       // allocation usage: BaseQtyN = ...
          {"'1'", "'0'", "'1'", "'1'", "'0'", "'1'"},  // routing line LastFlag
      };
      c.change_value = kValues[c.change][Below(6)];
      static constexpr Table kTables[] = {Table::kOrderLine, Table::kOrderLine, Table::kAllocation,
                                          Table::kOrderLine, Table::kAllocation, Table::kRoutingLine};
      c.row = Pick(kTables[c.change]);
      c.row.missing = false;
      if (also_() % 2 == 0) {
        static const char* const kAlso[3][6] = {
            {"0", "2", "33.333333", "-5", "0.000001", "150"},                 // CompScrap
            {"1", "1", "3", "2", "1, FVFlag = 0", "1, FVFlag = 1"},            // WIPType
            {"'1'", "'0'", "'0', WhCode = NULL", "'0', WhCode = ' '", "'0', WhCode = '02'", "'0'"},  // ByproductFlag
        };
        c.also_change = static_cast<int>(also_() % 3);
        c.also_value = kAlso[c.also_change][also_() % 6];
        c.also_row.table = Table::kAllocation;
        c.also_row.place = static_cast<uint32_t>(also_() % 1000);
      }
      break;
    }
  }
  if (c.token == TokenChoice::kStale) c.second = Pick(c.row.table), c.second.missing = false;
  return c;
}

std::string Call::Describe() const {
  std::string s = kOperationNames[static_cast<int>(operation)];
  auto row_text = [](const RowPick& p) {
    return std::string(kTableNames[static_cast<int>(p.table)]) +
           (p.missing ? " missing " + std::to_string(p.missing_id) : " #" + std::to_string(p.place));
  };
  s += " " + row_text(row);
  if (operation == Operation::kMoQtyWrBfromQc) s += ", " + row_text(second);
  if (operation == Operation::kChangeData)
    return s + " change " + std::to_string(change) + " = " + change_value +
           (also_change < 0 ? ""
                            : ", then " + row_text(also_row) + " change " + std::to_string(6 + also_change) + " = " +
                                  also_value);
  if (operation == Operation::kPushMoFromSo) {
    s = "PushMoFromSo cFrom=" + from + (external_lines ? " external lines" : " sales lines");
    for (const std::string& o : orders) s += " " + o;
    for (const LineChange& ch : changes)
      s += " [line #" + std::to_string(ch.place) + (ch.set_quantity ? " qty " + Number(ch.quantity) : "") +
           (ch.unknown_item ? " unknown item" : "") + "]";
  } else {
    s += " qty " + Number(quantity) + " type '" + bus_type + "' flag " + (flag ? "1" : "0") + " isChk " +
         std::to_string(static_cast<int>(check)) + " date " + std::to_string(cur_date) + " token " +
         kTokenNames[static_cast<int>(token)];
  }
  static const char* const kTransactions[] = {"no transaction", "committed", "rolled back"};
  return s + ", " + kTransactions[static_cast<int>(transaction)] + (err_in.empty() ? "" : ", ErrMsg given");
}

}  // namespace differential
