#pragma once
// Rules for numbers that every provider applies the same way, so that one call gives
// one answer whichever database holds the accounting set. The embedded database's
// functions and the procedures written for it call these; the server's procedures
// mirror them in its schema (database/postgres/schema.sql), with the same limits and
// the same texts.
//
// Decimals. A decimal(p, s) value is kept to s places and refused (kErrDataOverflow,
// native code 8115, the original server's texts) when it is not finite or has more
// integer digits than it may hold. The embedded database keeps decimals as binary
// doubles, which hold a decimal exactly only up to 15 significant digits; so no
// decimal has more than 15 - s integer digits on either provider. Quantities,
// decimal(28,6), stay below 10^9 in magnitude (at most 999999999.999999).
//   - A caller's value bound to a parameter is rounded half away from zero, as the
//     original server converts a float to a decimal.
//   - A value that a procedure computes is rounded half to even, as everything the
//     component and the procedures round. Sums and differences of decimals within the
//     limit are exact on both providers; products and quotients are worked in doubles
//     on both and rounded from the result's shortest decimal form.
//
// Procedure return values are whole numbers within int; anything else is an error,
// never a success code.
//
// cast(X as int) converts as the original server does: numbers are truncated toward
// zero, text must be an integer (blanks around it allowed; blank text is 0), and the
// result must fit int.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/variant.h"

namespace ado {

inline constexpr int kQuantityPrecision = 28;
inline constexpr int kQuantityScale = 6;
// Significant decimal digits that a double holds exactly.
inline constexpr int kExactDecimalDigits = 15;

// The texts of the overflow refusals: a caller's value, and a procedure's result.
inline constexpr std::string_view kFloatOverflowText =
    "Arithmetic overflow error converting float to data type numeric.";
inline constexpr std::string_view kNumericOverflowText =
    "Arithmetic overflow error converting numeric to data type numeric.";
inline constexpr std::string_view kIntOverflowText =
    "Arithmetic overflow error converting expression to data type int.";

// Raises kErrDataOverflow with `description` and the native overflow code.
[[noreturn]] void RaiseDataOverflow(std::string_view description);

// The magnitude that a decimal(precision, scale) stays below: 10^(min(precision, 15) -
// scale). A precision of 0 (not set) counts as the largest.
double DecimalLimit(int precision, int scale);
// A caller's double as a decimal(precision, scale) parameter receives it. Raises
// kErrDataOverflow (kFloatOverflowText) when it is not finite or does not fit.
double BindDecimal(double v, int precision, int scale);
// A procedure's result for a decimal(precision, scale) column. Raises kErrDataOverflow
// (kNumericOverflowText) when it is not finite or does not fit.
double StoreDecimal(double v, int precision, int scale);
inline double StoreQuantity(double v) { return StoreDecimal(v, kQuantityPrecision, kQuantityScale); }

// A procedure's return value from the text a server sends: an I4 ("90001" and
// "90001.0" alike). Raises kErrProvider for text that is not a whole number within int.
com::Variant ReturnValueFromText(std::string_view text);

// cast(X as int) of a number and of text. Raise ado::Error (kErrProvider) with the
// original server's text for text that is not an integer and for results outside int.
int32_t CastNumberToInt(double v);
int32_t CastTextToInt(std::string_view text);

// How the original server prints a row version converted to money with style 2 (the
// component's row token): the integer in ten-thousandths with exactly four decimals,
// no separators, a minus sign when negative, blank-padded to the 30 characters of a
// plain char.
std::string MoneyText(int64_t row_version);

}  // namespace ado
