#pragma once
// The data layer from Python, in ADO's names:
//
//   conn = mom.Connection()
//   conn.Open("Provider=SQLite;Data Source=mom.db")
//   conn.BeginTrans()
//   rs = conn.Execute("select MoDId, Qty from mom_orderdetail where MoDId = ?", Parameters=[1001])
//   for row in rs: ...                 # dicts by field name, from the current row on
//   conn.CommitTrans()                 # or RollbackTrans(); Close() rolls back an open one
//
// A Connection or Recordset passes to a late-bound member as the object it wraps, so a
// script saves its own rows and calls a write-back inside one transaction.

#include <pybind11/pybind11.h>

namespace mom_python {

namespace py = pybind11;

void DefineAdo(py::module_& module);

}  // namespace mom_python
