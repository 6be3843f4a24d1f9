#include "python/bridge_dispatch.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "platform/com/type_info.h"
#include "python/bridge_errors.h"
#include "python/bridge_values.h"

namespace mom_python {

namespace {

// A member of a late-bound object, ready to be called (obj.Name without the call).
struct BoundMember {
  com::Ptr<com::IDispatch> object;
  std::string name;
};

const com::FuncDesc* FindMember(com::IDispatch* object, const std::string& name, com::InvokeKind kind) {
  const com::TypeInfo* info = object->GetTypeInfo();
  return info ? info->Find(name, kind) : nullptr;
}

// None for an object parameter is Nothing, the null object (elsewhere it is Null).
bool IsObjectParam(const com::FuncDesc* func, size_t i) {
  if (!func || i >= func->params.size()) return false;
  com::VarType t = func->params[i].type;
  return t == com::VarType::Dispatch || t == com::VarType::Unknown;
}

com::Variant NothingFor(const com::ParamDesc& param) {
  if (param.type == com::VarType::Dispatch) return com::Variant(com::Ptr<com::IDispatch>());
  return com::Variant(com::Ptr<com::IUnknown>());
}

std::string ParamList(const com::FuncDesc& func) {
  std::string s;
  for (const com::ParamDesc& p : func.params) s += (s.empty() ? "" : ", ") + p.name;
  return s;
}

py::object Call(const BoundMember& member, py::args args, py::kwargs kwargs) {
  const com::FuncDesc* func = FindMember(member.object.get(), member.name, com::InvokeKind::Method);
  const std::string name = func ? func->name : member.name;

  // Slot i holds argument i; unset slots are omitted arguments.
  std::vector<std::optional<com::Variant>> values(args.size());
  std::vector<py::object> refs(args.size());
  auto take = [&](size_t i, py::handle value) {
    if (py::isinstance<Ref>(value)) refs[i] = py::reinterpret_borrow<py::object>(value);
    py::handle plain = refs[i] ? py::handle(refs[i].cast<Ref&>().value) : value;
    values[i] = plain.is_none() && IsObjectParam(func, i) ? NothingFor(func->params[i]) : FromPython(plain);
  };
  for (size_t i = 0; i < args.size(); ++i) take(i, args[i]);
  for (auto [key, value] : kwargs) {
    const std::string param = py::str(key);
    if (!func) throw py::type_error(name + " takes no named arguments: the object has no type information");
    int index = func->FindParam(param);
    if (index < 0) throw py::type_error(name + " has no argument " + param + "; its arguments are: " + ParamList(*func));
    size_t i = static_cast<size_t>(index);
    if (i >= values.size()) {
      values.resize(i + 1);
      refs.resize(i + 1);
    }
    if (values[i]) throw py::type_error(name + ": argument " + func->params[i].name + " is given twice");
    take(i, value);
  }

  std::vector<com::Variant> call_args;
  call_args.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    bool by_ref = !func || i >= func->params.size() || func->params[i].by_ref;
    if (!values[i] || values[i]->is_missing())
      call_args.push_back(com::Variant::Missing());
    else if (by_ref || refs[i])
      call_args.push_back(com::Variant::Ref(&*values[i]));
    else
      call_args.push_back(*values[i]);
  }

  com::Variant result;
  {
    py::gil_scoped_release unlocked;
    result = com::CallByName(member.object.get(), name, call_args);
  }
  for (size_t i = 0; i < refs.size(); ++i)
    if (refs[i]) refs[i].cast<Ref&>().value = ToPython(*values[i]);
  return ToPython(result);
}

py::object GetAttribute(const DispatchObject& self, const std::string& name) {
  // Python's own protocol names are never members of automation objects.
  if (name.rfind("__", 0) == 0) throw py::attribute_error(name);
  com::IDispatch* object = self.object.get();
  if (const com::TypeInfo* info = object->GetTypeInfo()) {
    const com::FuncDesc* func = info->Find(name, com::InvokeKind::Method);
    if (!func) RaiseNoSuchMember(name);
    if (func->kind == com::InvokeKind::Method) return py::cast(BoundMember{self.object, func->name});
    com::Variant value;
    {
      py::gil_scoped_release unlocked;
      value = com::GetProperty(object, func->name);
    }
    return ToPython(value);
  }
  // Without type information a member is whatever the object answers to; calling it
  // invokes it as a method.
  com::DispId id = 0;
  if (com::Failed(object->GetIdOfName(name, &id))) RaiseNoSuchMember(name);
  return py::cast(BoundMember{self.object, name});
}

void SetAttribute(const DispatchObject& self, const std::string& name, py::handle value) {
  com::Variant v = FromPython(value);
  py::gil_scoped_release unlocked;
  com::PutProperty(self.object.get(), name, std::move(v));
}

py::list MemberNames(const DispatchObject& self) {
  py::list names;
  if (const com::TypeInfo* info = self.object->GetTypeInfo())
    for (const com::FuncDesc& f : info->funcs) names.append(f.name);
  return names;
}

std::string Describe(const DispatchObject& self) {
  const com::TypeInfo* info = self.object->GetTypeInfo();
  return "<mom.Dispatch " + (info ? info->name : std::string("object")) + ">";
}

}  // namespace

void DefineDispatch(py::module_& module) {
  py::class_<MissingArgument>(module, "MissingArgument", "The type of mom.Missing.")
      .def("__repr__", [](const MissingArgument&) { return "mom.Missing"; })
      .def("__bool__", [](const MissingArgument&) { return false; });
  module.attr("Missing") = MissingArgument{};

  py::class_<Ref>(module, "Ref",
                  "A by-reference argument: pass it, then read .value for what the member left in it.")
      .def(py::init([](py::object value) { return Ref{std::move(value)}; }), py::arg("value") = py::none())
      .def_readwrite("value", &Ref::value)
      .def("__repr__", [](const Ref& r) { return "mom.Ref(" + py::repr(r.value).cast<std::string>() + ")"; });

  py::class_<UnknownObject>(module, "Unknown", "An object without late binding; it can only be handed on.")
      .def("__repr__", [](const UnknownObject&) { return "<mom.Unknown>"; });

  py::class_<BoundMember>(module, "Member", "A member of a late-bound object; call it to invoke it.")
      .def("__call__", &Call)
      .def_readonly("name", &BoundMember::name)
      .def("__repr__", [](const BoundMember& m) { return "<mom.Member " + m.name + ">"; });

  py::class_<DispatchObject>(module, "Dispatch", "A late-bound automation object; its attributes are its members.")
      .def("__getattr__", &GetAttribute)
      .def("__setattr__", &SetAttribute)
      .def("__dir__", &MemberNames)
      .def("__repr__", &Describe)
      .def("__eq__", [](const DispatchObject& a, const DispatchObject& b) { return a.object == b.object; })
      .def("__hash__", [](const DispatchObject& a) { return std::hash<const void*>()(a.object.get()); });

  module.def(
      "CreateObject",
      [](const std::string& prog_id) {
        com::Ptr<com::IDispatch> object;
        {
          py::gil_scoped_release unlocked;
          object = com::CreateObject(prog_id);
        }
        return DispatchObject{object};
      },
      py::arg("progid"),
      "Creates the class registered under progid (the registries searched: $MOM_REGISTRY, or the user's "
      "then the machine's) and returns it late-bound. Raises mom.Error 429 when it cannot be created.");
}

}  // namespace mom_python
