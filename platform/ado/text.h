#pragma once
// Small text helpers shared by the data layer: names are compared without regard to
// (ASCII) case, and text sizes are counted in characters, not bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace ado {

std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Number of UTF-8 characters (continuation bytes are not counted).
size_t Utf8Length(std::string_view text);
// The first `characters` UTF-8 characters of `text` (all of it when shorter), never
// cut inside a character.
std::string_view Utf8Prefix(std::string_view text, size_t characters);
std::string_view TrimBlanks(std::string_view text);
// Text as an SQL string literal: quoted, inner quotes doubled.
std::string QuoteLiteral(std::string_view text);

}  // namespace ado
