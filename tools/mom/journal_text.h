#pragma once
// How the journal commands (mom history, mom verify) write quantities and line up
// columns.

#include <string>
#include <string_view>

namespace mom_console {

// A quantity with its six places, trailing zeros dropped ("2.5", "10", "-0.001").
std::string QuantityText(double v);
// The same with a sign in front of a positive value ("+2.5").
std::string SignedQuantityText(double v);
// Columns a text takes in a terminal: wide (CJK) characters count two.
size_t DisplayWidth(std::string_view text);

}  // namespace mom_console
