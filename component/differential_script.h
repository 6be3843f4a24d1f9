#pragma once
// The seeded random calls of the differential test: what to call and with what, told
// without reference to either database, so that the same call can be made on both.
// Rows are named by their place among the rows of their table (ids of generated rows
// differ between the databases, their order does not), or as a row that is missing.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace differential {

enum class Operation {
  kOpMoveQtyWrB,
  kMoRoutingWrB,
  kMoInQtyWrB,
  kMORMOutQtyWrB,
  kMoQtyWrB,
  kMoQtyWrBfromQc,
  kSTPullfromMORM,
  kSTPullfromMORP,
  kGetBFRds,
  kPushMoFromSo,
  kChangeData,  // a change another user makes between two calls
};

// Tables whose rows the calls refer to.
enum class Table { kOrderLine, kAllocation, kRoutingLine, kMoveLine };

struct RowPick {
  Table table = Table::kOrderLine;
  bool missing = false;
  uint32_t place = 0;      // among the table's rows by key, modulo their number
  int32_t missing_id = 0;  // when missing
};

enum class TokenChoice { kFresh, kEmpty, kBlank, kStale, kOmitted };
enum class Transaction { kNone, kCommit, kRollback };
enum class Optional { kOmitted, kFalse, kTrue };

// One demand line of a generation run, changed before it is handed over.
struct LineChange {
  uint32_t place = 0;
  bool set_quantity = false;
  double quantity = 0;
  bool unknown_item = false;
};

struct Call {
  Operation operation = Operation::kMoRoutingWrB;
  RowPick row, second;  // second: MoQtyWrBfromQc's allocation, a stale token's row
  double quantity = 0;
  std::string bus_type;
  bool flag = false;    // bChk, bBPFlag, bCheck
  Optional check = Optional::kOmitted;  // isChk
  int cur_date = 0;     // 0 omitted, 1 the zero date, 2 a business date
  TokenChoice token = TokenChoice::kFresh;
  Transaction transaction = Transaction::kNone;
  std::string err_in;   // the caller's ErrMsg
  // PushMoFromSo
  bool external_lines = false;
  std::string from;      // cFrom; "<omitted>" leaves it out
  std::vector<std::string> orders;
  std::vector<LineChange> changes;
  // kChangeData
  int change = 0;
  std::string change_value;
  // and now and then a second change, to an allocation's backflush columns (-1: none)
  int also_change = -1;
  std::string also_value;
  RowPick also_row;

  std::string Describe() const;
};

class Script {
 public:
  // The second changes come from a stream of their own, so that a seed found before
  // they were added still makes the same calls.
  explicit Script(uint64_t seed) : rng_(seed), also_(seed ^ 0x9e3779b97f4a7c15u) {}
  Call Next();

 private:
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
  bool Chance(uint32_t percent) { return Below(100) < percent; }
  double Quantity();
  RowPick Pick(Table table);
  std::string BusType();

  std::mt19937_64 rng_;
  std::mt19937_64 also_;
};

// Text of a double that tells every value apart (NaN and the infinities by name).
std::string Number(double v);

}  // namespace differential
