#include "platform/ado/tsql/constructs.h"

#include <string>

#include "platform/ado/error.h"

namespace ado::tsql {

bool MatchMoneyText(const TokenView& v, size_t i, size_t end, size_t* after, Range* inner) {
  if (!IsWord(v[i], "convert")) return false;
  size_t a = v.Next(i, end), b = v.Next(a, end), c = v.Next(b, end), d = v.Next(c, end);
  size_t e = v.Next(d, end), f = v.Next(e, end), g = v.Next(f, end);
  if (g >= end || !IsPunct(v[a], "(") || !IsWord(v[b], "char") || !IsPunct(v[c], ",") || !IsWord(v[d], "convert") ||
      !IsPunct(v[e], "(") || !IsWord(v[f], "money") || !IsPunct(v[g], ","))
    return false;
  size_t close = v.MatchParen(e, end);
  size_t h = v.Next(close, end), m = v.Next(h, end), n = v.Next(m, end);
  if (n >= end || !IsPunct(v[h], ",") || v[m].text != "2" || !IsPunct(v[n], ")")) return false;
  if (v.First(g + 1, close) == close) return false;  // no operand
  *after = n + 1;
  if (inner) *inner = {g + 1, close};
  return true;
}

bool MatchGetDate(const TokenView& v, size_t i, size_t end, size_t* after) {
  if (!IsWord(v[i], "getdate")) return false;
  size_t a = v.Next(i, end), b = v.Next(a, end);
  if (b >= end || !IsPunct(v[a], "(") || !IsPunct(v[b], ")")) return false;
  *after = b + 1;
  return true;
}

bool MatchCastToInt(const TokenView& v, size_t i, size_t end, size_t* after, Range* operand) {
  if (!IsWord(v[i], "cast")) return false;
  size_t open = v.Next(i, end);
  if (open >= end || !IsPunct(v[open], "(")) return false;
  size_t close = v.MatchParen(open, end);
  if (close >= end) return false;
  std::vector<size_t> inside = v.Significant(open + 1, close);
  if (inside.size() < 3 || !IsWord(v[inside[inside.size() - 2]], "as") || !IsWord(v[inside.back()], "int"))
    return false;
  *after = close + 1;
  if (operand) *operand = {inside.front(), inside[inside.size() - 3] + 1};
  return true;
}

bool MatchTableHint(const TokenView& v, size_t i, size_t end, size_t* after) {
  if (!IsWord(v[i], "with")) return false;
  size_t open = v.Next(i, end);
  if (open >= end || !IsPunct(v[open], "(")) return false;
  size_t close = v.MatchParen(open, end);
  if (close >= end) return false;
  std::vector<size_t> inside = v.Significant(open + 1, close);
  if (inside.empty()) return false;
  for (size_t k : inside)
    if (!IsTableHint(v[k]) && !IsPunct(v[k], ",")) return false;
  *after = close + 1;
  return true;
}

bool IsIdentity(const TokenView& v, const std::vector<size_t>& sig, std::string_view sql) {
  if (sig.size() != 8 || !IsWord(v[sig[0]], "identity") || !IsPunct(v[sig[1]], "(") || !IsPunct(v[sig[3]], ",") ||
      !IsPunct(v[sig[5]], ","))
    return false;
  if (v[sig[4]].text != "1" || v[sig[6]].text != "1")
    Raise(kErrProvider, "IDENTITY is supported only with seed 1 and increment 1", std::string(sql));
  return true;
}

}  // namespace ado::tsql
