#pragma once
// Late binding from Python: CreateObject(progid) gives a mom.Dispatch whose attributes
// are the object's members, looked up by name (without regard to case) when used.
//
//   clsmom = mom.CreateObject("KRZ7DEVUZIda.clsMOM")
//   err = mom.Ref("")
//   ok = clsmom.MoRoutingWrB(3003, 2.0, conn, err)      # err.value: the text on failure
//   login.KrDbName = "Provider=SQLite;Data Source=mom.db"  # property put
//
// Arguments go positionally or by parameter name. Every argument is passed by
// reference where the member declares it so (as an automation client passes its
// variables); a mom.Ref argument receives the value the member left in it. Omitted
// optional arguments take their declared defaults (mom.Missing omits one in the
// middle). None is Nothing (the null object) for an object parameter, Null elsewhere.
// Methods return their result; failures raise mom.Error.

#include <pybind11/pybind11.h>

namespace mom_python {

namespace py = pybind11;

void DefineDispatch(py::module_& module);

}  // namespace mom_python
