#pragma once
// mom.Error: every failure of the runtime and the data layer reaches Python as this one
// exception type, with the automation error's number, description and source, and
// from the data layer also the provider's native code and the statement.

#include <pybind11/pybind11.h>

#include <string>

namespace mom_python {

namespace py = pybind11;

// Defines mom.Error (and mom.NoSuchMember, which is also an AttributeError so that
// getattr and hasattr work on late-bound objects) and translates com::Error into it.
void DefineErrors(py::module_& module);

// Raises mom.NoSuchMember (438) for a member that an object does not have.
[[noreturn]] void RaiseNoSuchMember(const std::string& member);

}  // namespace mom_python
