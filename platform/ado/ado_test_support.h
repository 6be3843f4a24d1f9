#pragma once
// Helpers shared by the data layer's tests: real database files and error capture.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/ado/application_catalog.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/error.h"
#include "platform/ado/recordset.h"

namespace ado_test {

// The catalog the manufacturing database registers (database/data_layer_hooks.cc).
// The data layer's own test programs link no database layer: test_catalog.cc sets this
// one for them, which their dialect and spelling cases assume.
inline ado::ApplicationCatalog ManufacturingLikeCatalog() { return {"sys_identifier", {"OffSet"}}; }

// Opens `path`, creating the file when `create`.
inline com::Ptr<ado::Connection> Open(const std::string& path, bool create = false) {
  auto c = ado::Connection::Create();
  c->Open(ado::ConnectionString::ForSqliteFile(path) + (create ? ";Mode=Create" : ""));
  return c;
}

// The error `f` raises; fails the test when it raises none.
template <class F>
std::optional<com::Error> Raised(F&& f) {
  try {
    f();
  } catch (const com::Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return std::nullopt;
}

template <class F>
int32_t RaisedNumber(F&& f) {
  auto e = Raised(f);
  return e ? e->number() : 0;
}

// The single value of a one-row, one-column query.
inline com::Variant Scalar(ado::Connection& c, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = c.Execute(sql);
  return rs->fields().Item(0).Value();
}

}  // namespace ado_test
