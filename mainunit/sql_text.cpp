#include "mainunit/sql_text.h"

namespace veltra::mainunit {

std::string SqlString(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  quoted += '\'';
  return quoted;
}

}  // namespace veltra::mainunit
