#include "ecn/grade_validator.h"

#include "ecn/filter_input.h"

namespace mom::ecn {

QValidator::State GradeValidator::validate(QString& input, int& pos) const {
  // Qt counts the cursor in UTF-16 units, the rule in characters.
  size_t cursor = static_cast<size_t>(input.left(pos).toUcs4().size());
  std::string digits = GradeDigitsOnly(input.toStdString(), &cursor);
  input = QString::fromStdString(digits);
  pos = static_cast<int>(cursor);
  return Acceptable;
}

}  // namespace mom::ecn
