#pragma once
// Limits what can be typed into a string field to its size in GBK bytes,
// so that typed text is never cut when it is stored.
#include <QValidator>

namespace veltra::ui {

class GbkSizeValidator : public QValidator {
 public:
  explicit GbkSizeValidator(int max_bytes, QObject* parent = nullptr) : QValidator(parent), max_bytes_(max_bytes) {}
  State validate(QString& input, int& position) const override;

 private:
  int max_bytes_;
};

}  // namespace veltra::ui
