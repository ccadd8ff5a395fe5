#pragma once
// Numbers typed into the printout's and the column dialog's edits.
#include <string>

namespace veltra::dbtool {

// Throws std::invalid_argument quoting the text when it is not a whole number.
int ParseWholeNumber(const std::string& text);

}  // namespace veltra::dbtool
