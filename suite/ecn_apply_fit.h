#pragma once
// How EcnApplyServer makes a database value fit the dialog's data set: the database
// allows wider texts and other types than the data set's fields hold (a reason of 255
// characters, a text in a number field), and one such value must not make the whole
// data set unreadable.

#include <optional>
#include <string>

#include "platform/com/variant.h"
#include "suite/ecn_apply_layout.h"

namespace suite {

// The text a value travels under in the data text: dates ISO ("2004-03-07", with
// "T10:00:00" when there is a time of day), flags true/false, the rest as the
// platform converts it.
std::string DataText(const com::Variant& value);

// The text under which `value` goes into `field`: nullopt for Null and for a value
// the field cannot hold (the dialog shows it empty); a text cut to the field's size in
// characters, never inside a character.
std::optional<std::string> FitToField(const com::Variant& value, const ApplyField& field);

}  // namespace suite
