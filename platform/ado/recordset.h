#pragma once
// Recordset with a client-side cursor: all rows are fetched into the recordset and
// moving, sorting and editing happen on the client. A recordset built from appended
// fields and opened without a source is disconnected: an empty, updatable list.
//
// Positions: BOF before the first row, EOF after the last; AbsolutePosition counts
// from 1. Edits: AddNew appends a row in add state; the next move or AddNew (or
// Update) commits it. With batch-optimistic locking a changed row stays marked as
// changed (EditMode adEditInProgress while current) until UpdateBatch or Close.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/field.h"

namespace ado {

struct IRecordset : com::IUnknown {
  static constexpr com::Guid kIid{0x0000054F, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

 protected:
  ~IRecordset() = default;
};

class Recordset final : public com::Object<IRecordset> {
 public:
  using Interface = IRecordset;
  static constexpr com::Guid kIid = IRecordset::kIid;

  static com::Ptr<Recordset> Create();

  int32_t CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(int32_t location) { cursor_location_ = location; }
  int32_t CursorType() const { return cursor_type_; }
  void SetCursorType(int32_t type) { cursor_type_ = type; }
  int32_t LockType() const { return lock_type_; }
  void SetLockType(int32_t type) { lock_type_ = type; }

  // Opens the rows of a statement (component dialect) on `connection`.
  void Open(std::string_view sql, Connection* connection, int32_t cursor_type = adOpenUnspecified,
            int32_t lock_type = adLockUnspecified, int32_t options = -1);
  // Opens the first row result of a command on the command's connection.
  void Open(Command* command, int32_t cursor_type = adOpenUnspecified,
            int32_t lock_type = adLockUnspecified, int32_t options = -1);
  // Opens without a source: an empty, updatable set of the appended fields.
  void Open();
  // Keeps the rows of an executed statement (the fields are the result's columns).
  void OpenResult(ExecuteResult result);
  // Takes rows given in memory (the fields are the columns).
  void OpenRows(std::vector<ColumnInfo> columns, std::vector<std::vector<com::Variant>> rows);

  void Close();
  int32_t State() const { return open_ ? adStateOpen : adStateClosed; }

  Fields& fields() { return fields_; }
  const Fields& fields() const { return fields_; }
  // Shorthand for fields().Item(name).
  Field& operator[](std::string_view name) { return fields_.Item(name); }

  int32_t RecordCount() const;
  bool Bof() const;
  bool Eof() const;
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  void Move(int32_t offset);
  // 1-based position of the current row; -1 (unknown) at BOF/EOF or when empty.
  int32_t AbsolutePosition() const;
  void SetAbsolutePosition(int32_t position);

  // "name [ASC|DESC], ..." orders the rows (stable), then makes the first row
  // current. An empty text restores the order of the source.
  const std::string& Sort() const { return sort_; }
  void SetSort(std::string sort);

  // Room for `rows` more records before AddNew has to grow the set: a fill that knows
  // its size keeps no spare rows.
  void ReserveRows(size_t rows);
  void AddNew();
  void Update();
  void CancelUpdate();
  int32_t EditMode() const;
  // Forgets the change marks of a batch-optimistic set (the rows keep their values).
  void UpdateBatch();

  // For Field.
  const com::Variant& CurrentValue(int32_t column) const;
  const com::Variant& CurrentOriginal(int32_t column) const;
  void SetCurrentValue(int32_t column, com::Variant value);

 private:
  friend class com::Object<IRecordset>;
  Recordset();

  struct Row {
    std::vector<com::Variant> values;
    // The values as read (or at the last UpdateBatch), kept apart only once the row is
    // edited: a row nobody changes costs one set of values.
    std::vector<com::Variant> original;
    uint64_t source_order = 0;
    // The flags last, side by side: a row is 64 bytes, not 72.
    bool original_is_values = true;  // unchanged since read: the originals are the values
    bool original_is_null = false;   // added: every original value is Null
    bool changed = false;            // edited since read (batch marks)
  };

  void RequireOpen() const;
  void RequireCurrent() const;
  void CommitPendingAdd();
  bool HasCurrent() const;
  // Commits a pending add and ends an edit of the current row (moves and Update).
  void FinishEdit();
  void SetColumns(const std::vector<ColumnInfo>& columns);

  int32_t cursor_location_ = adUseServer;
  int32_t cursor_type_ = adOpenForwardOnly;
  int32_t lock_type_ = adLockReadOnly;
  bool open_ = false;
  bool disconnected_ = false;
  Fields fields_;
  std::vector<Row> rows_;
  int64_t position_ = -1;  // -1 BOF, rows_.size() EOF
  bool adding_ = false;    // current row is a pending AddNew
  int64_t position_before_add_ = -1;  // where CancelUpdate of an AddNew returns to
  bool editing_ = false;   // the current existing row has an edit not yet updated
  Row edit_snapshot_;      // the row as it was when that edit began
  std::string sort_;
  uint64_t next_order_ = 0;
};

}  // namespace ado
