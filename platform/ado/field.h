#pragma once
// Fields of a recordset: the columns' descriptions and the values of the current row.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/types.h"
#include "platform/com/variant.h"

namespace ado {

class Recordset;

class Field {
 public:
  Field(Recordset* owner, int32_t index, ColumnInfo info, int32_t attributes);

  const std::string& Name() const { return info_.name; }
  DataType Type() const { return info_.type; }
  int32_t DefinedSize() const { return info_.size; }
  uint8_t Precision() const { return info_.precision; }
  uint8_t NumericScale() const { return info_.scale; }
  int32_t Attributes() const { return attributes_; }
  const ColumnInfo& info() const { return info_; }
  int32_t index() const { return index_; }

  // Precision and scale can be set right after the field was appended, before Open.
  void SetPrecision(uint8_t precision);
  void SetNumericScale(uint8_t scale);

  // The value in the current row; raises 3021 when there is no current row.
  com::Variant Value() const;
  // Stores a value in the current row, converted to the field's type. A value that
  // cannot be stored (wrong type, overflow, text too long, Null in a field that is not
  // nullable) raises and leaves the field as it was.
  void SetValue(const com::Variant& value);
  // The value as it was read from the source (before any change in this recordset).
  com::Variant OriginalValue() const;

 private:
  Recordset* owner_;
  int32_t index_;
  ColumnInfo info_;
  int32_t attributes_;
};

class Fields {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raise 3265 for an unknown name or an index out of range.
  Field& Item(int32_t index) const;
  Field& Item(std::string_view name) const;
  // Name lookup without regard to case; null if absent.
  Field* Find(std::string_view name) const;
  int32_t IndexOf(std::string_view name) const;
  // Appends a field to a closed recordset that has no source yet.
  Field& Append(std::string name, DataType type, int32_t defined_size = 0, int32_t attributes = 0);

 private:
  friend class Recordset;
  Recordset* owner_ = nullptr;
  std::vector<std::unique_ptr<Field>> items_;
};

// Converts `value` to what a column of type `info` stores; raises kErrFieldValue
// (with the cause's description) when it cannot.
com::Variant ConvertToColumn(const com::Variant& value, const ColumnInfo& info);

}  // namespace ado
