#include "python/bridge_values.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/com/date.h"

namespace mom_python {

namespace {

constexpr double kMicrosecondsPerDay = 86400.0 * 1e6;

py::object DateToPython(com::Date date) {
  // The day, then the time of day to the microsecond (the civil form keeps seconds).
  double whole = std::trunc(date.days);
  int64_t microseconds = std::llround(std::fabs(date.days - whole) * kMicrosecondsPerDay);
  if (microseconds >= static_cast<int64_t>(kMicrosecondsPerDay)) {
    microseconds -= static_cast<int64_t>(kMicrosecondsPerDay);
    whole += date.days >= 0 ? 1 : -1;
  }
  com::CivilTime day = com::CivilFromDate(com::Date{whole});
  const int64_t second = 1000000;
  return py::module_::import("datetime")
      .attr("datetime")(day.year, day.month, day.day, microseconds / (3600 * second),
                        microseconds / (60 * second) % 60, microseconds / second % 60, microseconds % second);
}

com::Date DateFromPython(py::handle value, bool has_time) {
  com::CivilTime t;
  t.year = value.attr("year").cast<int>();
  t.month = value.attr("month").cast<int>();
  t.day = value.attr("day").cast<int>();
  long microseconds = 0;
  if (has_time) {
    if (!value.attr("tzinfo").is_none())
      throw py::value_error("a date with a time zone cannot be passed: automation dates are local");
    t.hour = value.attr("hour").cast<int>();
    t.minute = value.attr("minute").cast<int>();
    t.second = value.attr("second").cast<int>();
    microseconds = value.attr("microsecond").cast<long>();
  }
  com::Date date = com::DateFromCivil(t);
  // Before 1899-12-30 the day counts down while the time of day still counts up.
  double fraction = static_cast<double>(microseconds) / kMicrosecondsPerDay;
  date.days += date.days < 0 ? -fraction : fraction;
  return date;
}

py::object CurrencyToPython(int64_t scaled) {
  py::object decimal = py::module_::import("decimal").attr("Decimal");
  return decimal(scaled).attr("scaleb")(-4);
}

com::Variant CurrencyFromPython(py::handle value) {
  py::object scaled = value.attr("scaleb")(4);
  if (!scaled.attr("is_finite")().cast<bool>()) throw py::value_error("a currency value must be finite");
  py::object integral = scaled.attr("to_integral_value")();
  if (!scaled.equal(integral))
    throw py::value_error("a currency value has at most four decimals: " + py::str(value).cast<std::string>());
  py::int_ as_int(integral);
  // Beyond 64 bits cast raises; the range check keeps the message ours.
  if (as_int < py::int_(std::numeric_limits<int64_t>::min()) || as_int > py::int_(std::numeric_limits<int64_t>::max()))
    throw py::value_error("a currency value is out of range: " + py::str(value).cast<std::string>());
  return com::Variant::FromCurrency(as_int.cast<int64_t>());
}

}  // namespace

py::object ToPython(const com::Variant& value) {
  const com::Variant& v = value.Deref();
  switch (v.type()) {
    case com::VarType::Empty:
    case com::VarType::Null: return py::none();
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1: return py::int_(v.ToI8());
    case com::VarType::R8: return py::float_(v.ToR8());
    case com::VarType::Currency: return CurrencyToPython(v.ToCurrency());
    case com::VarType::Date: return DateToPython(v.ToDate());
    case com::VarType::String: return py::str(v.ToString());
    case com::VarType::Bool: return py::bool_(v.ToBool());
    case com::VarType::Error:
      if (v.is_missing()) return py::cast(MissingArgument{});
      return py::int_(v.ToI8());
    case com::VarType::Array: {
      py::list items;
      for (const com::Variant& item : v.ToArray().items) items.append(ToPython(item));
      return items;
    }
    case com::VarType::Dispatch:
    case com::VarType::Unknown: {
      com::Ptr<com::IUnknown> unknown = v.ToUnknown();
      if (!unknown) return py::none();
      if (auto recordset = unknown.As<ado::Recordset>()) return py::cast(RecordsetObject{recordset});
      if (auto connection = unknown.As<ado::Connection>()) return py::cast(ConnectionObject{connection});
      if (auto dispatch = unknown.As<com::IDispatch>()) return py::cast(DispatchObject{dispatch});
      return py::cast(UnknownObject{unknown});
    }
    default: break;
  }
  throw py::type_error(std::string("a variant of type ") + com::VarTypeName(v.type()) + " has no Python value");
}

com::Variant FromPython(py::handle value) {
  if (value.is_none()) return com::Variant::Null();
  if (py::isinstance<MissingArgument>(value)) return com::Variant::Missing();
  // bool before int: in Python a bool is an int.
  if (py::isinstance<py::bool_>(value)) return com::Variant(value.cast<bool>());
  if (py::isinstance<py::int_>(value)) {
    py::int_ i = py::reinterpret_borrow<py::int_>(value);
    if (i >= py::int_(INT32_MIN) && i <= py::int_(INT32_MAX)) return com::Variant(i.cast<int32_t>());
    if (i >= py::int_(std::numeric_limits<int64_t>::min()) && i <= py::int_(std::numeric_limits<int64_t>::max()))
      return com::Variant(i.cast<int64_t>());
    throw py::value_error("an integer beyond 64 bits cannot be passed: " + py::str(value).cast<std::string>());
  }
  if (py::isinstance<py::float_>(value)) return com::Variant(value.cast<double>());
  if (py::isinstance<py::str>(value)) return com::Variant(value.cast<std::string>());
  if (py::isinstance<ConnectionObject>(value))
    return com::Variant(com::Ptr<com::IUnknown>(value.cast<ConnectionObject&>().connection.get()));
  if (py::isinstance<RecordsetObject>(value))
    return com::Variant(com::Ptr<com::IUnknown>(value.cast<RecordsetObject&>().recordset.get()));
  if (py::isinstance<DispatchObject>(value)) return com::Variant(value.cast<DispatchObject&>().object);
  if (py::isinstance<UnknownObject>(value)) return com::Variant(value.cast<UnknownObject&>().object);
  if (py::isinstance<Ref>(value)) return FromPython(value.cast<Ref&>().value);

  py::module_ datetime = py::module_::import("datetime");
  if (py::isinstance(value, datetime.attr("datetime"))) return com::Variant(DateFromPython(value, true));
  if (py::isinstance(value, datetime.attr("date"))) return com::Variant(DateFromPython(value, false));
  if (py::isinstance(value, py::module_::import("decimal").attr("Decimal"))) return CurrencyFromPython(value);
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    com::SafeArray array;
    for (py::handle item : value) array.items.push_back(FromPython(item));
    return com::Variant(std::move(array));
  }
  throw py::type_error("a value of type " + py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>() +
                       " cannot be passed to an automation object");
}

}  // namespace mom_python
