#pragma once
// One database of the differential test: its connection, a login object for it and
// clsMOM, with which a scripted call is made and its outcome rendered as text; and the
// database's contents rendered table by table, with what legitimately differs between
// the databases (generated ids, row-version numbers, the server's clock) replaced by
// what does not (their order, their order, "now").

#include <map>
#include <string>
#include <vector>

#include "component/differential_script.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace differential {

// A table as the embedded database's schema declares it.
struct TableShape {
  std::string name;
  std::vector<std::string> columns;
  std::string key;  // its single-column key, or empty
  // Columns that hold another table's generated key, with that table.
  std::map<std::string, std::string> references;
};

// The tables to compare, read from an embedded database's schema.
std::vector<TableShape> ReadShapes(ado::Connection& sqlite);

class Side {
 public:
  explicit Side(std::string connection_string);
  ~Side();
  Side(const Side&) = delete;
  Side& operator=(const Side&) = delete;

  // Makes the call and renders its result and every argument it may write.
  std::string Run(const Call& call);
  // Each table's rows, one line per row, in key order.
  std::map<std::string, std::string> Contents(const std::vector<TableShape>& shapes);

 private:
  int32_t Resolve(const RowPick& pick);
  std::string TokenOf(const RowPick& pick);
  std::string Token(const Call& call);
  com::Variant ConnectionArgument() const;
  std::string Invoke(const char* name, std::vector<com::Variant>& args, const std::vector<size_t>& written);
  std::string Generate(const Call& call);
  std::string ChangeData(const Call& call);
  std::string RenderRecordset(ado::Recordset& rs);
  std::string RenderArgument(const com::Variant& v);
  // A generated key as "#place" among its table's keys.
  std::string Place(const char* table, const char* key, int64_t id);

  std::string connection_string_;
  com::Ptr<ado::Connection> conn_;
  com::Ptr<com::IDispatch> mom_;
  com::Ptr<com::IDispatch> login_;
};

}  // namespace differential
