#include "database/procedure_signatures.h"

#include <stdexcept>

#include "platform/ado/text.h"

namespace database {

const ProcedureSignature* FindProcedureSignature(std::string_view name) {
  for (const ProcedureSignature* s : kProcedureSignatures)
    if (ado::EqualsIgnoreCase(s->name, name)) return s;
  return nullptr;
}

namespace {

std::string Sized(const char* base, int32_t size) { return std::string(base) + "(" + std::to_string(size) + ")"; }

[[noreturn]] void Unlisted(const ProcedureParameter& p) {
  throw std::logic_error("参数 " + std::string(p.name) + " 的类型 " + std::to_string(p.type) + " 不在存储过程参数类型之列");
}

}  // namespace

std::string SqlTypeName(const ProcedureParameter& p) {
  switch (p.type) {
    case ado::adInteger: return "INT";
    case ado::adTinyInt: return "TINYINT";
    case ado::adBoolean: return "BIT";
    case ado::adDate: return "DATETIME";
    case ado::adDecimal:
      return "DECIMAL(" + std::to_string(p.precision) + "," + std::to_string(p.scale) + ")";
    case ado::adChar: return Sized("CHAR", p.size);
    case ado::adVarChar: return Sized("VARCHAR", p.size);
    case ado::adVarWChar: return Sized("NVARCHAR", p.size);
    default: Unlisted(p);
  }
}

std::string PostgresTypeName(const ProcedureParameter& p) {
  switch (p.type) {
    case ado::adInteger: return "integer";
    case ado::adTinyInt: return "smallint";  // the server has no one-byte integer
    case ado::adBoolean: return "boolean";
    case ado::adDate: return "timestamp without time zone";
    case ado::adDecimal: return "numeric";
    case ado::adChar: return "character";
    case ado::adVarChar:
    case ado::adVarWChar: return "character varying";
    default: Unlisted(p);
  }
}

std::string ProcedureTableMarkdown() {
  std::string table =
      "| procedure | inputs after the return value | return values besides 0 | rows |\n"
      "| --- | --- | --- | --- |\n";
  for (const ProcedureSignature* s : kProcedureSignatures) {
    std::string inputs;
    for (const ProcedureParameter& p : s->inputs)
      inputs += (inputs.empty() ? "" : ", ") + std::string(p.name) + " " + SqlTypeName(p);
    std::string codes;
    for (int32_t code : s->refusals) codes += (codes.empty() ? "" : ", ") + std::to_string(code);
    table += "| `" + std::string(s->name) + "` | " + inputs + " | " + (codes.empty() ? "none" : codes) + " | " +
             (s->returns_rows ? "yes" : "no") + " |\n";
  }
  return table;
}

}  // namespace database
