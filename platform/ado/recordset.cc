#include "platform/ado/recordset.h"

#include <algorithm>
#include <cmath>

#include "platform/ado/error.h"
#include "platform/ado/text.h"

namespace ado {

namespace {

constexpr int32_t kQueryFieldAttributes = adFldUpdatable | adFldIsNullable | adFldMayBeNull;

// Sort order of values of different kinds: nulls first, then numbers, dates, text.
int Rank(const com::Variant& v) {
  switch (v.type()) {
    case com::VarType::Empty:
    case com::VarType::Null: return 0;
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1:
    case com::VarType::R8:
    case com::VarType::Currency:
    case com::VarType::Bool: return 1;
    case com::VarType::Date: return 2;
    case com::VarType::String: return 3;
    default: return 4;
  }
}

int Compare(const com::Variant& a, const com::Variant& b) {
  int ra = Rank(a), rb = Rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 1: {
      // long double holds every int64 and every double exactly, so mixed comparisons
      // stay transitive (a sort needs that); NaN goes before every number.
      auto exact = [](const com::Variant& v) -> long double {
        com::VarType t = v.type();
        if (t == com::VarType::R8) return v.ToR8();
        if (t == com::VarType::Currency) return static_cast<long double>(v.ToCurrency()) / 10000;
        return static_cast<long double>(v.ToI8());
      };
      long double x = exact(a), y = exact(b);
      bool nx = std::isnan(x), ny = std::isnan(y);
      if (nx || ny) return nx == ny ? 0 : nx ? -1 : 1;
      return x < y ? -1 : x > y ? 1 : 0;
    }
    case 2: {
      double x = a.ToDate().days, y = b.ToDate().days;
      return x < y ? -1 : x > y ? 1 : 0;
    }
    case 3: {
      int c = a.ToString().compare(b.ToString());
      return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    default: return 0;
  }
}

struct SortKey {
  int32_t column;
  bool descending;
};

std::vector<SortKey> ParseSort(std::string_view text, const Fields& fields) {
  std::vector<SortKey> keys;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    if (comma == std::string_view::npos) comma = text.size();
    std::string_view item = TrimBlanks(text.substr(pos, comma - pos));
    pos = comma + 1;
    if (item.empty()) continue;
    bool descending = false;
    size_t space = item.find_last_of(" \t");
    if (space != std::string_view::npos) {
      std::string_view word = item.substr(space + 1);
      if (EqualsIgnoreCase(word, "DESC") || EqualsIgnoreCase(word, "ASC")) {
        descending = EqualsIgnoreCase(word, "DESC");
        item = TrimBlanks(item.substr(0, space));
      }
    }
    if (item.size() >= 2 && item.front() == '[' && item.back() == ']') item = item.substr(1, item.size() - 2);
    int32_t column = fields.IndexOf(item);
    if (column < 0) Raise(kErrItemNotFound);
    keys.push_back({column, descending});
  }
  return keys;
}

}  // namespace

com::Ptr<Recordset> Recordset::Create() { return com::Ptr<Recordset>::Attach(new Recordset()); }

Recordset::Recordset() { fields_.owner_ = this; }

void Recordset::RequireOpen() const {
  if (!open_) Raise(kErrObjectClosed);
}

bool Recordset::HasCurrent() const { return position_ >= 0 && position_ < static_cast<int64_t>(rows_.size()); }

void Recordset::RequireCurrent() const {
  RequireOpen();
  if (!HasCurrent()) Raise(kErrBofOrEof);
}

void Recordset::SetColumns(const std::vector<ColumnInfo>& columns) {
  fields_.items_.clear();
  for (size_t i = 0; i < columns.size(); ++i)
    fields_.items_.push_back(
        std::make_unique<Field>(this, static_cast<int32_t>(i), columns[i], kQueryFieldAttributes));
}

void Recordset::Open(std::string_view sql, Connection* connection, int32_t cursor_type, int32_t lock_type,
                     int32_t) {
  if (open_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  if (!connection || connection->State() != adStateOpen) Raise(kErrConnectionUnusable);
  if (cursor_type != adOpenUnspecified) cursor_type_ = cursor_type;
  if (lock_type != adLockUnspecified) lock_type_ = lock_type;
  OpenResult(connection->session().ExecuteText(sql, {}, connection->CommandTimeout(), true));
}

void Recordset::Open(Command* command, int32_t cursor_type, int32_t lock_type, int32_t) {
  if (open_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  if (!command) Raise(kErrArgumentsWrongType);
  if (cursor_type != adOpenUnspecified) cursor_type_ = cursor_type;
  if (lock_type != adLockUnspecified) lock_type_ = lock_type;
  OpenResult(command->Run(true));
}

void Recordset::Open() {
  if (open_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  rows_.clear();
  open_ = true;
  disconnected_ = true;
  position_ = 0;
  adding_ = editing_ = false;
  sort_.clear();
}

void Recordset::OpenResult(ExecuteResult result) {
  if (open_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  if (!result.rows) return;  // a statement without rows leaves the set closed
  std::vector<std::vector<com::Variant>> rows;
  std::vector<com::Variant> row;
  while (result.rows->Next(row)) rows.push_back(std::move(row));
  OpenRows(result.rows->columns(), std::move(rows));
}

void Recordset::OpenRows(std::vector<ColumnInfo> columns, std::vector<std::vector<com::Variant>> rows) {
  if (open_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  SetColumns(columns);
  rows_.clear();
  rows_.reserve(rows.size());
  next_order_ = 0;
  for (auto& values : rows) {
    values.resize(columns.size());
    Row r;
    r.values = std::move(values);
    r.source_order = next_order_++;
    rows_.push_back(std::move(r));
  }
  open_ = true;
  disconnected_ = false;
  position_ = 0;
  adding_ = editing_ = false;
  sort_.clear();
}

void Recordset::Close() {
  RequireOpen();
  open_ = false;
  rows_.clear();
  position_ = -1;
  adding_ = editing_ = false;
  sort_.clear();
  // Appended fields describe a disconnected set and stay for a new Open; the columns
  // of a result go with it.
  if (!disconnected_) fields_.items_.clear();
}

int32_t Recordset::RecordCount() const {
  RequireOpen();
  return static_cast<int32_t>(rows_.size());
}

bool Recordset::Bof() const {
  RequireOpen();
  return rows_.empty() || position_ < 0;
}

bool Recordset::Eof() const {
  RequireOpen();
  return rows_.empty() || position_ >= static_cast<int64_t>(rows_.size());
}

void Recordset::CommitPendingAdd() { adding_ = false; }

void Recordset::FinishEdit() {
  CommitPendingAdd();
  editing_ = false;
}

void Recordset::MoveFirst() {
  RequireOpen();
  FinishEdit();
  position_ = 0;
}

void Recordset::MoveLast() {
  RequireOpen();
  FinishEdit();
  position_ = rows_.empty() ? 0 : static_cast<int64_t>(rows_.size()) - 1;
}

void Recordset::MoveNext() {
  RequireOpen();
  if (Eof()) Raise(kErrBofOrEof);
  FinishEdit();
  ++position_;
}

void Recordset::MovePrevious() {
  RequireOpen();
  if (Bof()) Raise(kErrBofOrEof);
  FinishEdit();
  --position_;
}

void Recordset::Move(int32_t offset) {
  RequireOpen();
  if (offset == 0) return;
  if ((offset > 0 && Eof()) || (offset < 0 && Bof())) Raise(kErrBofOrEof);
  FinishEdit();
  auto size = static_cast<int64_t>(rows_.size());
  position_ = std::clamp<int64_t>(position_ + offset, -1, size);
}

int32_t Recordset::AbsolutePosition() const {
  RequireOpen();
  return HasCurrent() ? static_cast<int32_t>(position_ + 1) : -1;
}

void Recordset::SetAbsolutePosition(int32_t position) {
  RequireOpen();
  if (position < 1 || position > static_cast<int64_t>(rows_.size())) Raise(kErrArgumentsWrongType);
  FinishEdit();
  position_ = position - 1;
}

void Recordset::SetSort(std::string sort) {
  RequireOpen();
  std::vector<SortKey> keys = ParseSort(sort, fields_);
  FinishEdit();
  // Ties keep the order of the source, whatever an earlier Sort did.
  std::sort(rows_.begin(), rows_.end(), [&keys](const Row& a, const Row& b) {
    for (const SortKey& k : keys) {
      int c = Compare(a.values[static_cast<size_t>(k.column)], b.values[static_cast<size_t>(k.column)]);
      if (c != 0) return k.descending ? c > 0 : c < 0;
    }
    return a.source_order < b.source_order;
  });
  sort_ = std::move(sort);
  position_ = 0;
}

void Recordset::ReserveRows(size_t rows) { rows_.reserve(rows_.size() + rows); }

void Recordset::AddNew() {
  RequireOpen();
  int64_t before = position_;
  FinishEdit();
  Row r;
  r.values.assign(fields_.items_.size(), com::Variant::Null());
  r.original_is_values = false;
  r.original_is_null = true;
  r.source_order = next_order_++;
  r.changed = lock_type_ == adLockBatchOptimistic;
  rows_.push_back(std::move(r));
  position_ = static_cast<int64_t>(rows_.size()) - 1;
  position_before_add_ = before;
  adding_ = true;
}

void Recordset::Update() {
  RequireOpen();
  FinishEdit();
}

void Recordset::CancelUpdate() {
  RequireOpen();
  if (adding_) {
    rows_.erase(rows_.begin() + position_);
    position_ = std::min<int64_t>(position_before_add_, static_cast<int64_t>(rows_.size()));
    adding_ = false;
  } else if (editing_ && HasCurrent()) {
    rows_[static_cast<size_t>(position_)] = std::move(edit_snapshot_);
    editing_ = false;
  }
}

int32_t Recordset::EditMode() const {
  RequireOpen();
  if (!HasCurrent()) return adEditNone;
  if (adding_) return adEditAdd;
  const Row& r = rows_[static_cast<size_t>(position_)];
  if (editing_ || (r.changed && lock_type_ == adLockBatchOptimistic)) return adEditInProgress;
  return adEditNone;
}

void Recordset::UpdateBatch() {
  RequireOpen();
  FinishEdit();
  for (Row& r : rows_) {
    r.changed = false;
    r.original.clear();
    r.original.shrink_to_fit();
    r.original_is_values = true;
    r.original_is_null = false;
  }
}

const com::Variant& Recordset::CurrentValue(int32_t column) const {
  RequireCurrent();
  return rows_[static_cast<size_t>(position_)].values.at(static_cast<size_t>(column));
}

const com::Variant& Recordset::CurrentOriginal(int32_t column) const {
  RequireCurrent();
  static const com::Variant null = com::Variant::Null();
  const Row& r = rows_[static_cast<size_t>(position_)];
  const com::Variant& value = r.values.at(static_cast<size_t>(column));
  if (r.original_is_null) return null;
  return r.original_is_values ? value : r.original[static_cast<size_t>(column)];
}

void Recordset::SetCurrentValue(int32_t column, com::Variant value) {
  RequireCurrent();
  Row& r = rows_[static_cast<size_t>(position_)];
  if (!adding_ && !editing_) {
    edit_snapshot_ = r;
    editing_ = true;
  }
  if (lock_type_ == adLockBatchOptimistic) r.changed = true;
  com::Variant& slot = r.values.at(static_cast<size_t>(column));
  if (r.original_is_values) {
    r.original = r.values;  // the first change: the values as read are kept from now on
    r.original_is_values = false;
  }
  slot = std::move(value);
}

}  // namespace ado
