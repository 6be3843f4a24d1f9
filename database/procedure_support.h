#pragma once
// What the stored procedures share: reading their arguments, checking row tokens and
// keeping quantities to the stored precision.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/procedure_catalog.h"
#include "platform/com/variant.h"

namespace database {

// Raises std::runtime_error when the caller passed fewer arguments than the procedure
// takes.
void CheckArgumentCount(std::string_view procedure, std::span<const com::Variant> args, size_t expected);

// The procedure's arguments with the lenient reading the callers rely on: a null
// quantity is zero, a null flag false, a null token empty. A quantity is a
// StoredQuantity. Raises std::runtime_error
// when the caller passed fewer arguments than the procedure takes.
class ProcedureArgs {
 public:
  ProcedureArgs(std::string_view procedure, std::span<const com::Variant> args, size_t expected);

  int32_t Int(size_t i) const;
  double Quantity(size_t i) const;
  bool Flag(size_t i) const;
  std::string Text(size_t i) const;
  const com::Variant& Raw(size_t i) const { return args_[i]; }

 private:
  std::span<const com::Variant> args_;
};

// Quantities are DECIMAL(28,6): rounding every result to six places keeps sums such as
// 9.9 + 0.1 equal to 10 when they are compared with a limit. Halfway values go to the
// even digit.
double RoundQuantity(double v);
// A quantity that a procedure keeps or hands out, by the data layer's rule
// (platform/ado/numeric_rules.h): rounded as above and refused with the overflow error
// when it is not finite or has more than nine integer digits, beyond which a double no
// longer holds six places exactly.
double StoredQuantity(double v);
// A null column reads as zero.
double QuantityOf(const com::Variant& v);

// Whether a caller's token still matches the row's version, the token being the
// version as the component reads it (convert(char,convert(money,Krts),2)). An empty or
// all-blank token matches any version; trailing blanks are ignored on both sides.
bool TokenMatches(std::string_view token, const com::Variant& row_krts);

// Reads one row; nullopt when there is none.
std::optional<std::vector<com::Variant>> QueryRow(ado::ProcedureContext& db, std::string_view sql,
                                                  std::initializer_list<com::Variant> params);

}  // namespace database
