#pragma once
// The picking dialog of RefLookup (Qt): the rows in a table, picked with OK, Enter or a
// double click.

#include <cstdint>
#include <string>

#include "suite/ref_lookup.h"

namespace suite {

// Shows the rows of `model` modally: the row chosen (0-based) or -1. Creates the Qt
// application when the host has none; raises when there is no display.
int32_t ChooseWithDialog(const RefLookupModel& model, const std::string& title);

}  // namespace suite
