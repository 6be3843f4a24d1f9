#pragma once
// Who an embedded database session is, for what records changes (the quantity
// journal): the embedded database has no logins, so a session is its process, its
// user the account the process runs under and its application the program's name.

#include <string>

namespace ado::sqlite {

// The account's login name, or its number when the system knows no name for it.
const std::string& SessionUserName();
// The program's file name without its folder.
const std::string& ApplicationName();

}  // namespace ado::sqlite
