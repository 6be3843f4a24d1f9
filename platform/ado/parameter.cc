#include "platform/ado/parameter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/ado/error.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/text.h"

namespace ado {

namespace {

com::Variant BindText(const Parameter& p, const com::Variant& v, bool fixed_length) {
  std::string text = v.ToString();
  size_t length = Utf8Length(text);
  if (p.size > 0 && length > static_cast<size_t>(p.size))
    Raise(kErrParameterImproper, "Parameter '" + p.name + "' is " + std::to_string(length) +
                                     " characters long, longer than its size " + std::to_string(p.size) +
                                     ".");
  if (fixed_length && p.size > 0) text.append(static_cast<size_t>(p.size) - length, ' ');
  return com::Variant(std::move(text));
}

com::Variant BindValue(const Parameter& p) {
  const com::Variant& v = p.value.Deref();
  if (v.is_empty() || v.is_null()) return com::Variant::Null();
  switch (p.type) {
    case adSmallInt: return v.ConvertTo(com::VarType::I2);
    case adInteger: return v.ConvertTo(com::VarType::I4);
    case adTinyInt:
    case adUnsignedTinyInt: return v.ConvertTo(com::VarType::UI1);
    case adBigInt: return v.ConvertTo(com::VarType::I8);
    case adBoolean: return v.ConvertTo(com::VarType::Bool);
    case adSingle:
    case adDouble: return v.ConvertTo(com::VarType::R8);
    case adDecimal:
    case adNumeric: return com::Variant(BindDecimal(v.ToR8(), p.precision, p.numeric_scale));
    case adCurrency: return com::Variant(com::RoundDecimal(v.ToR8(), 4, com::Halfway::kAwayFromZero));
    case adDate:
    case adDBTimeStamp: return v.ConvertTo(com::VarType::Date);
    case adChar:
    case adWChar: return BindText(p, v, true);
    case adBSTR:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar: return BindText(p, v, false);
    default: return v;
  }
}

}  // namespace

com::Ptr<Parameter> Parameter::Create(std::string name, DataType type, ParameterDirection direction,
                                      int32_t size) {
  auto p = com::Ptr<Parameter>::Attach(new Parameter());
  p->name = std::move(name);
  p->type = type;
  p->direction = direction;
  p->size = size;
  return p;
}

BoundParameter Parameter::Bind() const {
  BoundParameter b;
  b.name = name;
  b.type = type;
  b.direction = direction;
  b.size = size;
  b.precision = precision;
  b.scale = numeric_scale;
  // Output-only and return values carry nothing in; the provider fills them.
  if (direction == adParamOutput || direction == adParamReturnValue)
    b.value = com::Variant::Null();
  else
    b.value = BindValue(*this);
  return b;
}

void Parameters::Append(com::Ptr<Parameter> p) {
  if (!p) Raise(kErrArgumentsWrongType);
  items_.push_back(std::move(p));
}

Parameter& Parameters::Item(int32_t index) const {
  if (index < 0 || index >= Count()) Raise(kErrItemNotFound);
  return *items_[static_cast<size_t>(index)];
}

Parameter& Parameters::Item(std::string_view name) const {
  Parameter* p = Find(name);
  if (!p) Raise(kErrItemNotFound);
  return *p;
}

Parameter* Parameters::Find(std::string_view name) const {
  for (const auto& p : items_)
    if (EqualsIgnoreCase(p->name, name)) return p.get();
  return nullptr;
}

void Parameters::Delete(std::string_view name) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (EqualsIgnoreCase((*it)->name, name)) {
      items_.erase(it);
      return;
    }
  }
  Raise(kErrItemNotFound);
}

}  // namespace ado
