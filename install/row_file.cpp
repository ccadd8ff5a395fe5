#include "install/row_file.h"

#include "platform/text/ascii.h"

namespace veltra::install {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

namespace {

std::vector<std::string> SplitValues(std::string_view line) {
  std::vector<std::string> values;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = line.find('|', start);
    values.emplace_back(TrimBlanks(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
    if (bar == std::string_view::npos) return values;
    start = bar + 1;
  }
}

}  // namespace

int TableRows::ColumnIndex(std::string_view column) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (text::EqualsIgnoreAsciiCase(columns[i], column)) return static_cast<int>(i);
  }
  return -1;
}

const std::string& TableRows::Value(std::size_t row, std::string_view column) const {
  static const std::string kNone;
  const int position = ColumnIndex(column);
  return position < 0 ? kNone : rows[row][static_cast<std::size_t>(position)];
}

std::vector<TableRows> ParseRowFile(std::string_view text, std::string_view source) {
  std::vector<TableRows> tables;
  int line_number = 0;
  auto fail = [&](const std::string& what) {
    throw InstallError(std::string(source) + ":" + std::to_string(line_number) + ": " + what);
  };
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line_number;
    const std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    const std::string_view line = TrimBlanks(raw);
    if (line.empty() || raw.front() == '#') continue;
    if (line.starts_with("table ")) {
      TableRows table;
      table.table = std::string(TrimBlanks(line.substr(6)));
      table.source = std::string(source);
      tables.push_back(std::move(table));
      continue;
    }
    if (tables.empty()) fail("a table line must come first");
    TableRows& table = tables.back();
    if (line.starts_with("columns ")) {
      if (!table.columns.empty()) fail("a second columns line for " + table.table);
      table.columns = SplitValues(line.substr(8));
      continue;
    }
    if (table.columns.empty()) fail("rows of " + table.table + " before its columns line");
    std::vector<std::string> values = SplitValues(raw);
    if (values.size() != table.columns.size()) {
      fail(table.table + ": " + std::to_string(values.size()) + " values for " +
           std::to_string(table.columns.size()) + " columns");
    }
    table.rows.push_back(std::move(values));
    table.lines.push_back(line_number);
  }
  return tables;
}

}  // namespace veltra::install
