#include "python/bridge_ado.h"

#include <cstdint>
#include <string>
#include <utility>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/types.h"
#include "python/bridge_values.h"

namespace mom_python {

namespace {

// A field of a recordset, found again by position on every use: reopening the
// recordset replaces its fields, and a stale one must raise rather than dangle.
struct FieldObject {
  com::Ptr<ado::Recordset> recordset;
  int32_t index;
  ado::Field& field() const { return recordset->fields().Item(index); }
};
struct FieldsObject {
  com::Ptr<ado::Recordset> recordset;
};

ado::Connection& Conn(const ConnectionObject& c) { return *c.connection; }
ado::Recordset& Rs(const RecordsetObject& r) { return *r.recordset; }

int32_t FieldIndex(const ado::Recordset& rs, py::handle key) {
  if (py::isinstance<py::int_>(key)) {
    int32_t index = key.cast<int32_t>();
    rs.fields().Item(index);  // raises 3265 when out of range
    return index;
  }
  if (py::isinstance<py::str>(key)) return rs.fields().Item(key.cast<std::string>()).index();
  throw py::type_error("a field is named by its name or its position");
}

// Stores a records-affected count in a mom.Ref, when one was given.
void HandBack(py::handle records_affected, int64_t count) {
  if (!records_affected.is_none()) {
    if (!py::isinstance<Ref>(records_affected)) throw py::type_error("RecordsAffected must be a mom.Ref");
    records_affected.cast<Ref&>().value = py::int_(count);
  }
}

py::object Execute(ConnectionObject& self, const std::string& sql, py::object records_affected, int32_t options,
                   py::object parameters) {
  com::Ptr<ado::Recordset> rs;
  int64_t count = -1;
  if (parameters.is_none()) {
    py::gil_scoped_release unlocked;
    rs = Conn(self).Execute(sql, &count, options);
  } else {
    // Values bound to the statement's "?" markers, in order: never spliced into its text.
    com::Ptr<ado::Command> command = ado::Command::Create();
    command->command_text = sql;
    command->command_type = ado::adCmdText;
    command->command_timeout = Conn(self).CommandTimeout();
    for (py::handle value : parameters)
      command->parameters().Append(command->CreateParameter({}, ado::adVariant, ado::adParamInput, 0, FromPython(value)));
    command->SetActiveConnection(self.connection);
    py::gil_scoped_release unlocked;
    rs = command->Execute(&count, options);
  }
  HandBack(records_affected, count);
  if (!rs) return py::none();
  return py::cast(RecordsetObject{rs});
}

py::dict CurrentRow(const ado::Recordset& rs) {
  py::dict row;
  const ado::Fields& fields = rs.fields();
  for (int32_t i = 0; i < fields.Count(); ++i) row[py::str(fields.Item(i).Name())] = ToPython(fields.Item(i).Value());
  return row;
}

py::dict NextRow(RecordsetObject& self) {
  ado::Recordset& rs = Rs(self);
  if (rs.State() != ado::adStateOpen || rs.Eof()) throw py::stop_iteration();
  py::dict row = CurrentRow(rs);
  rs.MoveNext();
  return row;
}

void Open(RecordsetObject& self, py::object source, py::object connection, int32_t cursor_type, int32_t lock_type,
          int32_t options) {
  ado::Recordset& rs = Rs(self);
  if (source.is_none()) {
    rs.Open();
    return;
  }
  if (!py::isinstance<ConnectionObject>(connection))
    throw py::type_error("a recordset opened on a statement needs ActiveConnection, a mom.Connection");
  std::string sql = source.cast<std::string>();
  com::Ptr<ado::Connection> conn = connection.cast<ConnectionObject&>().connection;
  py::gil_scoped_release unlocked;
  rs.Open(sql, conn.get(), cursor_type, lock_type, options);
}

template <class Getter>
auto Property(Getter getter) {
  return [getter](const RecordsetObject& self) { return getter(Rs(self)); };
}

struct Constant {
  const char* name;
  int32_t value;
};

// The data layer's enumerations, for Fields.Append, Execute options and the like.
constexpr Constant kConstants[] = {
    {"adEmpty", ado::adEmpty}, {"adSmallInt", ado::adSmallInt}, {"adInteger", ado::adInteger},
    {"adSingle", ado::adSingle}, {"adDouble", ado::adDouble}, {"adCurrency", ado::adCurrency},
    {"adDate", ado::adDate}, {"adBSTR", ado::adBSTR}, {"adBoolean", ado::adBoolean},
    {"adVariant", ado::adVariant}, {"adDecimal", ado::adDecimal}, {"adTinyInt", ado::adTinyInt},
    {"adUnsignedTinyInt", ado::adUnsignedTinyInt}, {"adBigInt", ado::adBigInt}, {"adChar", ado::adChar},
    {"adWChar", ado::adWChar}, {"adNumeric", ado::adNumeric}, {"adDBTimeStamp", ado::adDBTimeStamp},
    {"adVarChar", ado::adVarChar}, {"adLongVarChar", ado::adLongVarChar}, {"adVarWChar", ado::adVarWChar},
    {"adLongVarWChar", ado::adLongVarWChar}, {"adExecuteNoRecords", ado::adExecuteNoRecords},
    {"adUseServer", ado::adUseServer}, {"adUseClient", ado::adUseClient},
    {"adOpenForwardOnly", ado::adOpenForwardOnly}, {"adOpenKeyset", ado::adOpenKeyset},
    {"adOpenDynamic", ado::adOpenDynamic}, {"adOpenStatic", ado::adOpenStatic},
    {"adLockReadOnly", ado::adLockReadOnly}, {"adLockPessimistic", ado::adLockPessimistic},
    {"adLockOptimistic", ado::adLockOptimistic}, {"adLockBatchOptimistic", ado::adLockBatchOptimistic},
    {"adEditNone", ado::adEditNone}, {"adEditInProgress", ado::adEditInProgress}, {"adEditAdd", ado::adEditAdd},
    {"adFldUpdatable", ado::adFldUpdatable}, {"adFldIsNullable", ado::adFldIsNullable},
    {"adFldMayBeNull", ado::adFldMayBeNull}, {"adStateClosed", ado::adStateClosed},
    {"adStateOpen", ado::adStateOpen},
};

}  // namespace

void DefineAdo(py::module_& module) {
  for (const Constant& c : kConstants) module.attr(c.name) = c.value;

  py::class_<ConnectionObject>(module, "Connection", "A connection of the data layer (ADO's Connection).")
      .def(py::init([] { return ConnectionObject{ado::Connection::Create()}; }))
      .def_property(
          "ConnectionString", [](const ConnectionObject& c) { return Conn(c).ConnectionString(); },
          [](ConnectionObject& c, std::string text) { Conn(c).SetConnectionString(std::move(text)); })
      .def_property(
          "ConnectionTimeout", [](const ConnectionObject& c) { return Conn(c).ConnectionTimeout(); },
          [](ConnectionObject& c, int32_t s) { Conn(c).SetConnectionTimeout(s); })
      .def_property(
          "CommandTimeout", [](const ConnectionObject& c) { return Conn(c).CommandTimeout(); },
          [](ConnectionObject& c, int32_t s) { Conn(c).SetCommandTimeout(s); })
      .def_property_readonly("State", [](const ConnectionObject& c) { return Conn(c).State(); })
      .def(
          "Open",
          [](ConnectionObject& c, const std::string& cs, const std::string& user, const std::string& password,
             int32_t options) {
            py::gil_scoped_release unlocked;
            Conn(c).Open(cs, user, password, options);
          },
          py::arg("ConnectionString") = "", py::arg("UserID") = "", py::arg("Password") = "",
          py::arg("Options") = -1)
      .def("Close", [](ConnectionObject& c) { Conn(c).Close(); },
           "Closes the connection; a transaction still open is rolled back.")
      .def("BeginTrans", [](ConnectionObject& c) { return Conn(c).BeginTrans(); })
      .def("CommitTrans", [](ConnectionObject& c) { Conn(c).CommitTrans(); })
      .def("RollbackTrans", [](ConnectionObject& c) { Conn(c).RollbackTrans(); })
      .def("Execute", &Execute, py::arg("CommandText"), py::arg("RecordsAffected") = py::none(),
           py::arg("Options") = -1, py::arg("Parameters") = py::none(),
           "Runs a statement; returns its rows as a Recordset (closed when it yields none; None with "
           "adExecuteNoRecords). Parameters: values for the statement's ? markers, in order.")
      .def("__enter__", [](py::object self) { return self; })
      .def("__exit__",
           [](ConnectionObject& c, py::handle, py::handle, py::handle) {
             if (Conn(c).State() == ado::adStateOpen) Conn(c).Close();
           })
      .def("__repr__", [](const ConnectionObject& c) {
        return std::string("<mom.Connection ") + (Conn(c).State() == ado::adStateOpen ? "open" : "closed") + ">";
      });

  py::class_<FieldObject>(module, "Field", "A field of a recordset: its description and its value in the current row.")
      .def_property_readonly("Name", [](const FieldObject& f) { return f.field().Name(); })
      .def_property_readonly("Type", [](const FieldObject& f) { return static_cast<int32_t>(f.field().Type()); })
      .def_property_readonly("DefinedSize", [](const FieldObject& f) { return f.field().DefinedSize(); })
      .def_property_readonly("Precision", [](const FieldObject& f) { return f.field().Precision(); })
      .def_property_readonly("NumericScale", [](const FieldObject& f) { return f.field().NumericScale(); })
      .def_property_readonly("Attributes", [](const FieldObject& f) { return f.field().Attributes(); })
      .def_property(
          "Value", [](const FieldObject& f) { return ToPython(f.field().Value()); },
          [](FieldObject& f, py::handle v) { f.field().SetValue(FromPython(v)); })
      .def_property_readonly("OriginalValue", [](const FieldObject& f) { return ToPython(f.field().OriginalValue()); })
      .def("__repr__", [](const FieldObject& f) { return "<mom.Field " + f.field().Name() + ">"; });

  py::class_<FieldsObject>(module, "Fields", "The fields of a recordset, by name (without regard to case) or position.")
      .def_property_readonly("Count", [](const FieldsObject& f) { return f.recordset->fields().Count(); })
      .def("__len__", [](const FieldsObject& f) { return f.recordset->fields().Count(); })
      .def("__getitem__",
           [](const FieldsObject& f, py::handle key) { return FieldObject{f.recordset, FieldIndex(*f.recordset, key)}; })
      .def("__iter__",
           [](const FieldsObject& f) {
             py::list items;
             for (int32_t i = 0; i < f.recordset->fields().Count(); ++i) items.append(FieldObject{f.recordset, i});
             return py::iter(items);
           })
      .def(
          "Append",
          [](FieldsObject& f, std::string name, int32_t type, int32_t size, int32_t attributes) {
            f.recordset->fields().Append(std::move(name), static_cast<ado::DataType>(type), size, attributes);
          },
          py::arg("Name"), py::arg("Type"), py::arg("DefinedSize") = 0, py::arg("Attrib") = 0);

  py::class_<RecordsetObject>(module, "Recordset",
                              "Rows on the client (ADO's Recordset). Iterating yields the rows from the current one "
                              "to the end as dicts, moving along.")
      .def(py::init([] { return RecordsetObject{ado::Recordset::Create()}; }))
      .def("Open", &Open, py::arg("Source") = py::none(), py::arg("ActiveConnection") = py::none(),
           py::arg("CursorType") = static_cast<int32_t>(ado::adOpenUnspecified),
           py::arg("LockType") = static_cast<int32_t>(ado::adLockUnspecified),
           py::arg("Options") = -1,
           "Opens the rows of a statement on ActiveConnection, or without Source an empty set of the appended fields.")
      .def("Close", [](RecordsetObject& r) { Rs(r).Close(); })
      .def_property_readonly("State", Property([](const ado::Recordset& rs) { return rs.State(); }))
      .def_property_readonly("EOF", Property([](const ado::Recordset& rs) { return rs.Eof(); }))
      .def_property_readonly("BOF", Property([](const ado::Recordset& rs) { return rs.Bof(); }))
      .def_property_readonly("RecordCount", Property([](const ado::Recordset& rs) { return rs.RecordCount(); }))
      .def_property_readonly("EditMode", Property([](const ado::Recordset& rs) { return rs.EditMode(); }))
      .def_property(
          "AbsolutePosition", Property([](const ado::Recordset& rs) { return rs.AbsolutePosition(); }),
          [](RecordsetObject& r, int32_t p) { Rs(r).SetAbsolutePosition(p); })
      .def_property(
          "Sort", Property([](const ado::Recordset& rs) { return rs.Sort(); }),
          [](RecordsetObject& r, std::string s) { Rs(r).SetSort(std::move(s)); })
      .def_property(
          "CursorLocation", Property([](const ado::Recordset& rs) { return rs.CursorLocation(); }),
          [](RecordsetObject& r, int32_t v) { Rs(r).SetCursorLocation(v); })
      .def_property(
          "CursorType", Property([](const ado::Recordset& rs) { return rs.CursorType(); }),
          [](RecordsetObject& r, int32_t v) { Rs(r).SetCursorType(v); })
      .def_property(
          "LockType", Property([](const ado::Recordset& rs) { return rs.LockType(); }),
          [](RecordsetObject& r, int32_t v) { Rs(r).SetLockType(v); })
      .def_property_readonly("Fields", [](const RecordsetObject& r) { return FieldsObject{r.recordset}; })
      .def("MoveFirst", [](RecordsetObject& r) { Rs(r).MoveFirst(); })
      .def("MoveLast", [](RecordsetObject& r) { Rs(r).MoveLast(); })
      .def("MoveNext", [](RecordsetObject& r) { Rs(r).MoveNext(); })
      .def("MovePrevious", [](RecordsetObject& r) { Rs(r).MovePrevious(); })
      .def("Move", [](RecordsetObject& r, int32_t n) { Rs(r).Move(n); }, py::arg("NumRecords"))
      .def(
          "AddNew",
          [](RecordsetObject& r, py::object values) {
            Rs(r).AddNew();
            if (!values.is_none())
              for (auto [name, value] : values.cast<py::dict>())
                Rs(r).fields().Item(py::str(name).cast<std::string>()).SetValue(FromPython(value));
          },
          py::arg("Values") = py::none(), "Appends a row; Values, a dict by field name, fills it.")
      .def("Update", [](RecordsetObject& r) { Rs(r).Update(); })
      .def("CancelUpdate", [](RecordsetObject& r) { Rs(r).CancelUpdate(); })
      .def("UpdateBatch", [](RecordsetObject& r) { Rs(r).UpdateBatch(); })
      .def("__getitem__",
           [](const RecordsetObject& r, py::handle key) {
             return ToPython(Rs(r).fields().Item(FieldIndex(Rs(r), key)).Value());
           })
      .def("__setitem__",
           [](RecordsetObject& r, py::handle key, py::handle value) {
             Rs(r).fields().Item(FieldIndex(Rs(r), key)).SetValue(FromPython(value));
           })
      // Rows held; a closed recordset holds none (RecordCount raises there, as ADO's does).
      .def("__len__",
           Property([](const ado::Recordset& rs) { return rs.State() == ado::adStateOpen ? rs.RecordCount() : 0; }))
      // A closed recordset (a statement without rows) is still a recordset, not false.
      .def("__bool__", [](const RecordsetObject&) { return true; })
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", &NextRow)
      .def("__repr__", [](const RecordsetObject& r) {
        return std::string("<mom.Recordset ") + (Rs(r).State() == ado::adStateOpen ? "open" : "closed") + ">";
      });
}

}  // namespace mom_python
