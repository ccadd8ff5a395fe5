#include "mainunit/sql_text.h"

namespace veltra::mainunit {

std::string SqlString(std::string_view text, char quote) {
  std::string quoted(1, quote);
  for (const char c : text) {
    quoted += c;
    if (c == quote) quoted += quote;
  }
  quoted += quote;
  return quoted;
}

}  // namespace veltra::mainunit
