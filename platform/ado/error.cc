#include "platform/ado/error.h"

#include <utility>

namespace ado {

Error::Error(int32_t number, std::string description, int native_code, std::string sql, std::string sqlstate)
    : com::Error(number, std::move(description)),
      native_code_(native_code),
      sql_(std::move(sql)),
      sqlstate_(std::move(sqlstate)) {}

Error::~Error() = default;

std::string Describe(int32_t number) {
  switch (number) {
    case kErrProvider: return "Unspecified error";
    case kErrQueryTimeout: return "Query timeout expired";
    case kErrItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or ordinal.";
    case kErrObjectClosed: return "Operation is not allowed when the object is closed.";
    case kErrConnectionUnusable:
      return "The connection cannot be used to perform this operation. It is either closed or invalid in "
             "this context.";
    case kErrBofOrEof:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
             "requires a current record.";
    case kErrArgumentsWrongType:
      return "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
             "another.";
    case kErrParameterImproper:
      return "Parameter object is improperly defined. Inconsistent or incomplete information was provided.";
    case kErrOperationNotAllowed: return "Operation is not allowed in this context.";
    case kErrProviderNotFound: return "Provider cannot be found. It may not be properly installed.";
    case kErrFieldValue: return "Multiple-step operation generated errors. Check each status value.";
    default: return com::StandardDescription(number);
  }
}

void Raise(int32_t number, std::string description, std::string sql) {
  throw Error(number, std::move(description), 0, std::move(sql));
}

void Raise(int32_t number) { throw Error(number, Describe(number)); }

}  // namespace ado
