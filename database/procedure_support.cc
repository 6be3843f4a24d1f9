#include "database/procedure_support.h"

#include <stdexcept>

#include "platform/ado/numeric_rules.h"

namespace database {

ProcedureArgs::ProcedureArgs(std::string_view procedure, std::span<const com::Variant> args,
                             size_t expected)
    : args_(args) {
  CheckArgumentCount(procedure, args, expected);
}

void CheckArgumentCount(std::string_view procedure, std::span<const com::Variant> args, size_t expected) {
  if (args.size() < expected)
    throw std::runtime_error("存储过程 " + std::string(procedure) + " 需要 " + std::to_string(expected) +
                             " 个参数，收到 " + std::to_string(args.size()) + " 个");
}

int32_t ProcedureArgs::Int(size_t i) const { return args_[i].is_null() ? 0 : args_[i].ToI4(); }

double ProcedureArgs::Quantity(size_t i) const { return StoredQuantity(QuantityOf(args_[i])); }

bool ProcedureArgs::Flag(size_t i) const { return args_[i].is_null() ? false : args_[i].ToBool(); }

std::string ProcedureArgs::Text(size_t i) const { return args_[i].is_null() ? std::string() : args_[i].ToString(); }

double RoundQuantity(double v) {
  double r = com::RoundHalfEven(v, 6);
  return r == 0 ? 0.0 : r;  // no negative zero in stored rows
}

double StoredQuantity(double v) { return ado::StoreQuantity(v); }

double QuantityOf(const com::Variant& v) { return v.is_null() ? 0.0 : v.ToR8(); }

namespace {
std::string_view TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}
}  // namespace

bool TokenMatches(std::string_view token, const com::Variant& row_krts) {
  token = TrimTrailingBlanks(token);
  if (token.empty()) return true;
  if (row_krts.is_null()) return false;
  const std::string current = ado::MoneyText(row_krts.ToI8());
  return token == TrimTrailingBlanks(current);
}

std::optional<std::vector<com::Variant>> QueryRow(ado::ProcedureContext& db, std::string_view sql,
                                                  std::initializer_list<com::Variant> params) {
  ado::QueryResult result = db.Query(sql, params);
  if (result.rows.empty()) return std::nullopt;
  return std::move(result.rows.front());
}

}  // namespace database
