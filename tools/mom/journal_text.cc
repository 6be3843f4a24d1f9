#include "tools/mom/journal_text.h"

#include <cstdio>

namespace mom_console {

std::string QuantityText(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6f", v);
  std::string text = buffer;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string SignedQuantityText(double v) {
  std::string text = QuantityText(v);
  return text[0] == '-' || text == "0" ? text : "+" + text;
}

size_t DisplayWidth(std::string_view text) {
  size_t width = 0;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    // Three- and four-byte characters are the wide ones in what the journal holds.
    width += length >= 3 ? 2 : 1;
    i += length;
  }
  return width;
}

}  // namespace mom_console
