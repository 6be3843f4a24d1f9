#include "python/bridge_errors.h"

#include <pybind11/eval.h>

#include "platform/ado/error.h"
#include "platform/com/error.h"

namespace mom_python {

namespace {

constexpr const char* kErrorClasses = R"py(
class Error(Exception):
    """An automation error.

    number and description as the automation layer reports them, source the object
    that raised it (may be empty); native_code, sql and sqlstate, from the data
    layer, the provider's own code, the statement that failed and PostgreSQL's
    SQLSTATE (else None).
    """

    def __init__(self, number, description, source="", native_code=None, sql=None, sqlstate=None):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.source = source
        self.native_code = native_code
        self.sql = sql
        self.sqlstate = sqlstate

    def __str__(self):
        return f"{self.description} (error {self.number})"


class NoSuchMember(Error, AttributeError):
    """The object has no member of that name (error 438)."""
)py";

// Kept for the life of the process (one reference held here).
PyObject* g_error = nullptr;
PyObject* g_no_such_member = nullptr;

[[noreturn]] void Raise(PyObject* type, py::object instance) {
  PyErr_SetObject(type, instance.ptr());
  throw py::error_already_set();
}

}  // namespace

void DefineErrors(py::module_& module) {
  py::dict scope;
  scope["__name__"] = module.attr("__name__");
  py::exec(kErrorClasses, scope, scope);
  module.attr("Error") = scope["Error"];
  module.attr("NoSuchMember") = scope["NoSuchMember"];
  module.attr("Error").attr("__module__") = "mom";
  module.attr("NoSuchMember").attr("__module__") = "mom";
  g_error = py::object(module.attr("Error")).release().ptr();
  g_no_such_member = py::object(module.attr("NoSuchMember")).release().ptr();

  py::register_exception_translator([](std::exception_ptr pending) {
    try {
      if (pending) std::rethrow_exception(pending);
    } catch (const ado::Error& e) {
      py::handle type(g_error);
      auto text_or_none = [](const std::string& s) { return s.empty() ? py::object(py::none()) : py::object(py::str(s)); };
      PyErr_SetObject(g_error, type(e.number(), e.description(), e.source(), e.native_code(), text_or_none(e.sql()),
                                    text_or_none(e.sqlstate()))
                                   .ptr());
    } catch (const com::Error& e) {
      py::handle type(g_error);
      PyErr_SetObject(g_error, type(e.number(), e.description(), e.source()).ptr());
    }
  });
}

void RaiseNoSuchMember(const std::string& member) {
  py::handle type(g_no_such_member);
  Raise(g_no_such_member,
        type(com::kErrNoSuchMember, com::StandardDescription(com::kErrNoSuchMember) + " (" + member + ")"));
}

}  // namespace mom_python
