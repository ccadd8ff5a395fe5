#include "platform/ui/gbk_size_validator.h"

#include "platform/text/gbk.h"

namespace veltra::ui {

QValidator::State GbkSizeValidator::validate(QString& input, int&) const {
  return text::GbkLength(input.toStdString()) <= static_cast<std::size_t>(max_bytes_) ? Acceptable : Invalid;
}

}  // namespace veltra::ui
