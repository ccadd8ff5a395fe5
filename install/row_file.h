#pragma once
// Reads the row files of the default installation (install/data/README.md):
// for each table, the columns given and the rows as text.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::install {

// A row file or installation step that cannot be carried out; the message
// names the file (and line) or the table concerned.
class InstallError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TableRows {
  std::string table;                           // file name in the working folder
  std::vector<std::string> columns;            // field names, in the order of the values
  std::vector<std::vector<std::string>> rows;  // one value per column; "" is null
  std::vector<int> lines;                      // source line of each row, for messages
  std::string source;                          // the row file's name

  // Position of `column` (ASCII case-insensitive), or -1.
  int ColumnIndex(std::string_view column) const;
  // The value of `column` in row `row`; "" when the table has no such column.
  const std::string& Value(std::size_t row, std::string_view column) const;
};

std::vector<TableRows> ParseRowFile(std::string_view text, std::string_view source);

// `text` without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

}  // namespace veltra::install
