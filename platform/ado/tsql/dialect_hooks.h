#pragma once
// What a database supplies to the T-SQL rewriter (rewriter.h): how it spells each
// construct of the component's T-SQL. The rewriter finds the constructs, the same way
// for every database; a dialect only says what each one becomes. Every hook is pure, so
// that a new dialect has to decide each construct and none is left out by accident.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/tsql/select_items.h"

namespace ado::tsql {

class Rewriter;

// SELECT items INTO target [FROM ...], as the rewriter found it. The checks every
// database needs are done: the target is a name, no item is empty, every item has a
// column name, at most one is IDENTITY(int, 1, 1).
struct SelectInto {
  size_t select = 0;           // the SELECT
  size_t items_begin = 0;      // where the items begin, after DISTINCT or ALL
  size_t into = 0;             // the INTO, which ends the items
  std::vector<size_t> target;  // the target's name parts (schema.table gives two)
  bool temporary = false;      // the target is a session table (#name)
  size_t rest = 0, end = 0;    // [rest, end): what follows the target (FROM ...)
  std::vector<SelectItem> items;
  // For each item, the token that names its column: the alias, else the column it copies.
  std::vector<size_t> name_tokens;
  int identity = -1;  // the IDENTITY item, when there is one
};

class DialectHooks {
 public:
  virtual ~DialectHooks() = default;

  // convert(char, convert(money, X), 2), the row-version token as money text; X rewritten.
  virtual std::string MoneyText(std::string_view operand) const = 0;
  // getdate(): the local time with milliseconds.
  virtual std::string CurrentTime() const = 0;
  // cast(X as int), which converts as the original server does (numeric_rules.h); X rewritten.
  virtual std::string CastToInt(std::string_view operand) const = 0;
  // #name, a session table, wherever it stands (CREATE TABLE #name also gains TEMP).
  virtual std::string SessionTable(const Token& name) const = 0;
  // [name], "name" or `name`.
  virtual std::string QuotedName(const Token& name) const = 0;
  // The alias of "Alias = expr" (written "expr AS <alias>") or of "expr AS 'Alias'";
  // `own`: in the statement's own select list, whose aliases name the result's columns.
  virtual std::string Alias(const Token& alias, bool own) const = 0;
  // A T-SQL type name (nvarchar, datetime, ...) in DDL or a cast: the database's
  // spelling, or empty to keep it.
  virtual std::string_view TypeName(const Token& word) const = 0;
  // A marker (?, ?N, $N) for the statement's `local`-th distinct caller parameter.
  virtual std::string Parameter(const Token& marker, size_t local) const = 0;
  // A word that names a column in T-SQL but is reserved in this database (token `i`
  // of `v`, its statement ending at `end`), and how the column is then written.
  virtual bool IsReservedColumn(const TokenView& v, size_t i, size_t end) const = 0;
  virtual std::string ReservedColumn(const Token& word) const = 0;
  // SELECT ... INTO: the statements that create and fill the target, each started with
  // Rewriter::Begin before its parts are emitted (Rewriter::Emit).
  virtual void SelectInto(Rewriter& r, const tsql::SelectInto& s) = 0;
};

}  // namespace ado::tsql
