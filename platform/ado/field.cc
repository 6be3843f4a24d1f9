#include "platform/ado/field.h"

#include "platform/ado/error.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"

namespace ado {

namespace {

com::Variant ConvertNonNull(const com::Variant& v, const ColumnInfo& info) {
  switch (info.type) {
    case adTinyInt:
    case adUnsignedTinyInt: return v.ConvertTo(com::VarType::UI1);
    case adSmallInt: return v.ConvertTo(com::VarType::I2);
    case adInteger: return v.ConvertTo(com::VarType::I4);
    case adBigInt: return v.ConvertTo(com::VarType::I8);
    case adBoolean: return v.ConvertTo(com::VarType::Bool);
    case adSingle:
    case adDouble:
    case adDecimal:
    case adNumeric: return v.ConvertTo(com::VarType::R8);
    case adCurrency: return v.ConvertTo(com::VarType::Currency);
    case adDate:
    case adDBTimeStamp: return v.ConvertTo(com::VarType::Date);
    default: break;
  }
  if (IsTextType(info.type)) {
    std::string text = v.ToString();
    size_t length = Utf8Length(text);
    if (info.size > 0 && length > static_cast<size_t>(info.size))
      Raise(kErrFieldValue, "The value for field '" + info.name + "' is " + std::to_string(length) +
                                " characters long, longer than its size " + std::to_string(info.size) + ".");
    return com::Variant(std::move(text));
  }
  return v.Value();
}

}  // namespace

com::Variant ConvertToColumn(const com::Variant& value, const ColumnInfo& info) {
  const com::Variant& v = value.Deref();
  if (v.is_null() || v.is_empty()) {
    if (!info.nullable) Raise(kErrFieldValue, "Field '" + info.name + "' cannot contain a null value.");
    return com::Variant::Null();
  }
  try {
    return ConvertNonNull(v, info);
  } catch (const Error&) {
    throw;
  } catch (const com::Error& e) {
    Raise(kErrFieldValue, e.description());
  }
}

Field::Field(Recordset* owner, int32_t index, ColumnInfo info, int32_t attributes)
    : owner_(owner), index_(index), info_(std::move(info)), attributes_(attributes) {}

void Field::SetPrecision(uint8_t precision) {
  if (owner_ && owner_->State() == adStateOpen) Raise(kErrOperationNotAllowed);
  info_.precision = precision;
}

void Field::SetNumericScale(uint8_t scale) {
  if (owner_ && owner_->State() == adStateOpen) Raise(kErrOperationNotAllowed);
  info_.scale = scale;
}

com::Variant Field::Value() const { return owner_->CurrentValue(index_); }

void Field::SetValue(const com::Variant& value) {
  // Checks the row first so that a closed set or a missing row is reported as such.
  owner_->CurrentValue(index_);
  owner_->SetCurrentValue(index_, ConvertToColumn(value, info_));
}

com::Variant Field::OriginalValue() const { return owner_->CurrentOriginal(index_); }

namespace {
// A closed set that gave its columns back with its rows says so rather than "not found".
[[noreturn]] void RaiseMissing(const Recordset* owner) {
  Raise(owner && owner->State() == adStateClosed ? kErrObjectClosed : kErrItemNotFound);
}
}  // namespace

Field& Fields::Item(int32_t index) const {
  if (index < 0 || index >= Count()) RaiseMissing(owner_);
  return *items_[static_cast<size_t>(index)];
}

Field& Fields::Item(std::string_view name) const {
  Field* f = Find(name);
  if (!f) RaiseMissing(owner_);
  return *f;
}

Field* Fields::Find(std::string_view name) const {
  int32_t i = IndexOf(name);
  return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}

int32_t Fields::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (EqualsIgnoreCase(items_[i]->Name(), name)) return static_cast<int32_t>(i);
  return -1;
}

Field& Fields::Append(std::string name, DataType type, int32_t defined_size, int32_t attributes) {
  if (owner_ && owner_->State() == adStateOpen)
    Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  ColumnInfo info;
  info.name = std::move(name);
  info.type = type;
  info.size = defined_size;
  info.nullable = (attributes & (adFldIsNullable | adFldMayBeNull)) != 0;
  auto index = static_cast<int32_t>(items_.size());
  items_.push_back(std::make_unique<Field>(owner_, index, std::move(info), attributes));
  return *items_.back();
}

}  // namespace ado
