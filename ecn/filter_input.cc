#include "ecn/filter_input.h"

#include <algorithm>

namespace mom::ecn {

namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Full-width digits U+FF10..U+FF19 are EF BC 90..99; the ideographic space U+3000 is
// E3 80 80.
bool IsFullWidthDigit(std::string_view s) {
  return s.size() == 3 && static_cast<unsigned char>(s[0]) == 0xEF && static_cast<unsigned char>(s[1]) == 0xBC &&
         static_cast<unsigned char>(s[2]) >= 0x90 && static_cast<unsigned char>(s[2]) <= 0x99;
}

// Full-width digits and spaces as ASCII; everything else unchanged.
std::string Narrowed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
    std::string_view ch = text.substr(i, n);
    if (IsFullWidthDigit(ch))
      out += static_cast<char>('0' + (static_cast<unsigned char>(ch[2]) - 0x90));
    else if (ch == "\xE3\x80\x80")
      out += ' ';
    else
      out += ch;
    i += n;
  }
  return out;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  // Between `min` and `max` digits.
  std::optional<int> Number(size_t min, size_t max) {
    size_t start = pos_;
    int v = 0;
    while (pos_ < text_.size() && pos_ - start < max && text_[pos_] >= '0' && text_[pos_] <= '9')
      v = v * 10 + (text_[pos_++] - '0');
    if (pos_ - start < min || (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')) return std::nullopt;
    return v;
  }
  bool Literal(std::string_view s) {
    if (text_.substr(pos_, s.size()) != s) return false;
    pos_ += s.size();
    return true;
  }
  bool AtEnd() const { return pos_ == text_.size(); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::optional<com::Date> FromParts(int year, int month, int day) {
  // com::ParseDate checks the calendar.
  return com::ParseDate(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
}

// Y.M.D or Y年M月D日, the whole text.
std::optional<com::Date> LocaleForms(std::string_view text) {
  for (bool chinese : {false, true}) {
    Scanner s(text);
    std::optional<int> year = s.Number(4, 4);
    s.SkipBlanks();
    if (!year || !s.Literal(chinese ? "年" : ".")) continue;
    s.SkipBlanks();
    std::optional<int> month = s.Number(1, 2);
    s.SkipBlanks();
    if (!month || !s.Literal(chinese ? "月" : ".")) continue;
    s.SkipBlanks();
    std::optional<int> day = s.Number(1, 2);
    s.SkipBlanks();
    if (!day || (chinese && !s.Literal("日"))) continue;
    s.SkipBlanks();
    if (s.AtEnd()) return FromParts(*year, *month, *day);
  }
  return std::nullopt;
}

std::string_view TrimmedBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string GradeDigitsOnly(std::string_view text, size_t* cursor) {
  std::string out;
  size_t characters = 0, kept_before_cursor = 0;
  for (size_t i = 0; i < text.size(); ++characters) {
    size_t n = std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
    std::string_view ch = text.substr(i, n);
    char digit = 0;
    if (n == 1 && ch[0] >= '0' && ch[0] <= '9')
      digit = ch[0];
    else if (IsFullWidthDigit(ch))
      digit = static_cast<char>('0' + (static_cast<unsigned char>(ch[2]) - 0x90));
    if (digit) {
      out += digit;
      if (cursor && characters < *cursor) ++kept_before_cursor;
    }
    i += n;
  }
  if (cursor) *cursor = kept_before_cursor;
  return out;
}

std::optional<com::Date> ParseFilterDate(std::string_view text) {
  std::string narrowed = Narrowed(text);
  std::string_view t = TrimmedBlanks(narrowed);
  if (std::optional<com::Date> d = LocaleForms(t)) return d;
  return com::ParseDate(t);
}

}  // namespace mom::ecn
