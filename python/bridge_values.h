#pragma once
// The Python module's objects and the conversions between Python values and variants.
//
//   Python                         variant
//   None                       ->  Null            Empty and Null  -> None
//   bool, int, float, str      ->  Bool, I4 (I8 beyond 32 bits), R8, String
//   datetime.datetime / date   ->  Date            Date            -> datetime.datetime
//                                  (a day count in a double: good to about a microsecond)
//   decimal.Decimal            ->  Currency (at most four decimals) -> decimal.Decimal
//   list, tuple                ->  array           array           -> list
//   Connection, Recordset, Dispatch, Unknown  <->  the object they wrap
//   mom.Missing                ->  an omitted optional argument
// Anything else raises TypeError; a value a variant cannot hold raises ValueError or
// OverflowError rather than being rounded.

#include <pybind11/pybind11.h>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"
#include "platform/com/variant.h"

namespace mom_python {

namespace py = pybind11;

// A late-bound automation object (mom.Dispatch).
struct DispatchObject {
  com::Ptr<com::IDispatch> object;
};
// An object without late binding, only handed on (mom.Unknown).
struct UnknownObject {
  com::Ptr<com::IUnknown> object;
};
// The data layer's connection and recordset (mom.Connection, mom.Recordset).
struct ConnectionObject {
  com::Ptr<ado::Connection> connection;
};
struct RecordsetObject {
  com::Ptr<ado::Recordset> recordset;
};
// A by-reference argument (mom.Ref): the callee's final value lands in `value`.
struct Ref {
  py::object value;
};
// The omitted optional argument (mom.Missing).
struct MissingArgument {};

py::object ToPython(const com::Variant& value);
com::Variant FromPython(py::handle value);

}  // namespace mom_python
