#include "platform/com/error.h"

namespace com {

Error::Error(int32_t number, std::string description, std::string source)
    : std::runtime_error(description), number_(number), description_(std::move(description)),
      source_(std::move(source)) {}

Error::~Error() = default;

std::string StandardDescription(int32_t number) {
  switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    case 440: return "Automation error";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    default: return "Application-defined or object-defined error";
  }
}

void Raise(int32_t number) { throw Error(number, StandardDescription(number)); }

void Raise(int32_t number, std::string description, std::string source) {
  throw Error(number, std::move(description), std::move(source));
}

}  // namespace com
