#include "dbtool/whole_number.h"

#include <charconv>
#include <stdexcept>

namespace veltra::dbtool {

int ParseWholeNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) {
    throw std::invalid_argument("“" + text + "”不是整数");
  }
  return value;
}

}  // namespace veltra::dbtool
