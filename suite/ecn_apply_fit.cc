#include "suite/ecn_apply_fit.h"

#include <cmath>

#include "platform/ado/field.h"
#include "platform/ado/provider.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"

namespace suite {

std::string DataText(const com::Variant& value) {
  switch (value.type()) {
    case com::VarType::Date: {
      com::Date d = value.ToDate();
      if (d.days == std::floor(d.days)) return com::FormatDate(d);
      std::string text = com::FormatDateTime(d);
      text[10] = 'T';
      return text;
    }
    case com::VarType::Bool:
      return value.ToBool() ? "true" : "false";
    default:
      return value.ToString();
  }
}

std::optional<std::string> FitToField(const com::Variant& value, const ApplyField& field) {
  const com::Variant& v = value.Deref();
  if (v.is_null() || v.is_empty()) return std::nullopt;
  std::string text = DataText(v);
  if (ado::IsTextType(field.type))
    return field.size > 0 ? std::string(ado::Utf8Prefix(text, static_cast<size_t>(field.size))) : text;
  // The same conversion the data set makes when it reads the text back.
  ado::ColumnInfo info;
  info.name = field.name;
  info.type = field.type;
  try {
    ado::ConvertToColumn(com::Variant(text), info);
  } catch (const com::Error&) {
    return std::nullopt;
  }
  return text;
}

}  // namespace suite
