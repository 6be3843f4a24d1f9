#pragma once
// Data services that the class and its dialog share: filling a recordset from a data
// text through the suite's data-conversion server, the captions of the user-defined and
// free item columns for a grid's format string, and the database server's clock.
// Nothing here traps errors: failures reach the caller with their descriptions.

#include <string>

#include "component/cls_mom_interface.h"
#include "platform/com/variant.h"

namespace mom::XMLRSData {

// Creates a new "REREVORU.clsDsToRs", calls its Fill with the five arguments by
// reference and stores in `rs` the recordset that Fill left in its first argument.
// `first_fields` and `second_fields` are text arrays (variants holding arrays).
void FillRecordset(RecordsetRef& rs, std::string& data, std::string& table_name, com::Variant& first_fields,
                   com::Variant& second_fields);

// "|<" + caption padded with blanks to ten characters (counted as characters) + two
// blanks, for each of the ten free items / the sixteen user-defined items, in the
// order the database returns them.
std::string GetFreeCaptions(ConnectionRef& cn);
std::string GetDefineCaptions(ConnectionRef& cn);

// The database server's current date and time.
com::Date GetServerDate(ConnectionRef& cn);

}  // namespace mom::XMLRSData
