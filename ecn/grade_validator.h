#pragma once
// The grade box's guard for text that does not come as typed keys (paste, drop, an
// input method): it keeps the digits only, by the dialog's own rule (GradeDigitsOnly).

#include <QValidator>

namespace mom::ecn {

class GradeValidator : public QValidator {
 public:
  explicit GradeValidator(QObject* parent) : QValidator(parent) {}
  // Always Acceptable: `input` is cut to its digits and `pos` follows.
  State validate(QString& input, int& pos) const override;
};

}  // namespace mom::ecn
