#pragma once
// What a statement's first word says about how it is to be run.

#include <string_view>

namespace ado::postgres {

// The statement's first word.
std::string_view LeadingWord(std::string_view sql);
// Texts worth preparing: plannable statements.
bool Preparable(std::string_view sql);
// A caller's own savepoints and transaction statements: wrapping them in the
// statement savepoint would undo their effect when that savepoint is released.
bool TransactionControl(std::string_view sql);

}  // namespace ado::postgres
