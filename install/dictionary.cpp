#include "install/dictionary.h"

#include <set>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "schema/schema.h"

namespace veltra::install {

namespace {

constexpr std::string_view kPartOf = "其中：";
constexpr std::string_view kColon = "：";
// The width of the dictionaries' field_text. The lists show the whole
// caption; a result column name too long for a saved table is cut when
// the result is saved.
constexpr std::size_t kMaxCaptionBytes = 60;

bool IsNameByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

std::string FieldType(const FieldDef& field) {
  // Record counters are summed as numbers of records and offered for totals only.
  if (text::EndsWithIgnoreAsciiCase(field.name, "_one")) return "0";
  return IsNumericType(field.type) ? "N" : "C";
}

}  // namespace

std::string DictionaryCaption(std::string_view meaning) {
  if (meaning.starts_with(kPartOf)) meaning.remove_prefix(kPartOf.size());
  std::size_t digits = 0;
  while (digits < meaning.size() && meaning[digits] >= '0' && meaning[digits] <= '9') ++digits;
  if (digits > 0 && digits < meaning.size() && meaning[digits] == '.') meaning.remove_prefix(digits + 1);
  if (meaning.ends_with(kColon)) meaning.remove_suffix(kColon.size());
  std::string caption;
  for (const char c : meaning) {
    if (IsNameByte(static_cast<unsigned char>(c))) caption += c;
  }
  // A name cannot start with a digit ("2010年提出专利申请数").
  if (!caption.empty() && caption.front() >= '0' && caption.front() <= '9') caption.insert(0, "_");
  return std::string(text::TruncateToGbkBytes(caption, kMaxCaptionBytes));
}

std::vector<TableRows> BuildDictionaries(std::string_view text, std::string_view source) {
  std::vector<TableRows> dictionaries;
  int line_number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line_number;
    const std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    const std::string where = std::string(source) + ":" + std::to_string(line_number) + ": ";
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) throw InstallError(where + "expected: <dictionary> | <table> [alias], ...");

    TableRows dictionary;
    dictionary.table = std::string(TrimBlanks(line.substr(0, bar)));
    dictionary.source = std::string(source);
    dictionary.columns = {"db_name", "field_name", "field_text", "field_type"};
    std::set<std::string> captions;
    std::string_view list = line.substr(bar + 1);
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view entry = TrimBlanks(list.substr(0, comma));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      const std::size_t blank = entry.find(' ');
      const std::string file(entry.substr(0, blank));
      const std::string alias(blank == std::string_view::npos ? std::string_view() : TrimBlanks(entry.substr(blank)));
      const schema::TableDef* table = schema::FindTable(file);
      if (!table || !table->survey) throw InstallError(where + file + " is not a survey table");
      for (std::size_t i = 0; i < table->fields.size(); ++i) {
        const FieldDef& field = table->fields[i];
        if (table->meanings[i].empty()) continue;
        std::string caption = DictionaryCaption(table->meanings[i]);
        if (caption.empty() || !captions.insert(caption).second) {
          // Captions repeat across a form ("其中：发明专利").
          const std::string suffix = "_" + field.name;
          caption = std::string(text::TruncateToGbkBytes(caption, kMaxCaptionBytes - suffix.size())) + suffix;
          captions.insert(caption);
        }
        dictionary.rows.push_back({std::string(entry), alias.empty() ? field.name : alias + "." + field.name,
                                   caption, FieldType(field)});
        dictionary.lines.push_back(line_number);
      }
    }
    dictionaries.push_back(std::move(dictionary));
  }
  return dictionaries;
}

}  // namespace veltra::install
