#include "schema/definition_parser.h"

#include <charconv>
#include <string>

#include "platform/text/ascii.h"

namespace veltra::schema {

namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The words from `first` on, with the blanks between them kept ("填 表 人").
std::string RestOfLine(std::string_view line, const std::vector<std::string_view>& words,
                       std::size_t first) {
  if (first >= words.size()) return {};
  const std::size_t begin = static_cast<std::size_t>(words[first].data() - line.data());
  const std::string_view& last = words.back();
  const std::size_t end = static_cast<std::size_t>(last.data() + last.size() - line.data());
  return std::string(line.substr(begin, end - begin));
}

std::vector<std::string> SplitFieldList(std::string_view list) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    fields.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

class Parser {
 public:
  explicit Parser(std::string_view source) : source_(source) {}

  std::vector<TableDef> Run(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      ++line_number_;
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ParseLine(line);
      start = end + 1;
    }
    Finish();
    return std::move(tables_);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw DefinitionError(std::string(source_) + ":" + std::to_string(line_number_) + ": " + what);
  }

  TableDef& Current() {
    if (tables_.empty()) Fail("a table line must come first");
    return tables_.back();
  }

  void ParseLine(std::string_view line) {
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.empty() || words[0].front() == '#') return;
    const std::string_view keyword = words[0];
    if (keyword == "table") return StartTable(words);
    if (keyword == "master") return ParseMaster(words);
    if (keyword == "index") return ParseIndex(words);
    if (keyword == "page") return ParsePage(line, words);
    if (keyword == "section") {
      section_ = RestOfLine(line, words, 1);
      if (section_ == "-") section_.clear();
      return;
    }
    if (keyword == "show") return ParseShow(line, words);
    if (keyword == "codes") return ParseCodes(line, words);
    ParseField(line, words);
  }

  void StartTable(const std::vector<std::string_view>& words) {
    Finish();
    if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && words[2] != "survey")) {
      Fail("expected: table <file name> [survey]");
    }
    TableDef table;
    table.file_name = std::string(words[1]);
    table.survey = words.size() == 3;
    tables_.push_back(std::move(table));
    page_.clear();
    section_.clear();
  }

  void ParseMaster(const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (words.size() != 4) Fail("expected: master <file> <fields> <index>");
    if (table.master) Fail("a second master for " + table.file_name);
    table.master = MasterLink{std::string(words[1]), SplitFieldList(words[2]), std::string(words[3])};
  }

  void ParseIndex(const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (words.size() < 3) Fail("expected: index <name|-> <fields> [primary] [unique] [ci]");
    IndexDef index;
    if (words[1] != "-") index.name = std::string(words[1]);
    index.fields = SplitFieldList(words[2]);
    for (std::size_t i = 3; i < words.size(); ++i) {
      if (words[i] == "primary") index.primary = true;
      else if (words[i] == "unique") index.unique = true;
      else if (words[i] == "ci") index.case_insensitive = true;
      else Fail("unknown index option '" + std::string(words[i]) + "'");
    }
    if (index.primary != index.name.empty()) Fail("the primary index, and only it, is written '-'");
    if (index.primary && table.primary_index()) Fail("a second primary index in " + table.file_name);
    if (!index.primary && table.FindIndex(index.name)) Fail("index '" + index.name + "' defined twice");
    table.indexes.push_back(std::move(index));
  }

  void ParsePage(std::string_view line, const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (words.size() < 2) Fail("expected: page <container> <caption> or page -");
    section_.clear();
    if (words[1] == "-") {
      if (words.size() != 2) Fail("'page -' takes nothing after it");
      page_.clear();
      return;
    }
    page_ = std::string(words[1]);
    std::string caption = RestOfLine(line, words, 2);
    if (caption == "-") caption.clear();
    if (const Page* known = table.FindPage(page_)) {
      if (known->caption != caption) Fail("page " + page_ + " given two captions");
      return;
    }
    table.pages.push_back(Page{page_, std::move(caption)});
  }

  void ParseShow(std::string_view line, const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (words.size() < 3) Fail("expected: show <field> <caption>");
    if (page_.empty()) Fail("show needs a page");
    const int position = FindField(table.fields, words[1]);
    if (position < 0) Fail("show names field '" + std::string(words[1]) + "', not defined above");
    table.placements.push_back(
        Placement{table.fields[static_cast<std::size_t>(position)].name, page_, section_,
                  RestOfLine(line, words, 2), {}, 0});
  }

  void ParseCodes(std::string_view line, const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (table.fields.empty()) Fail("codes must follow the field they belong to");
    if (words.size() < 2) Fail("expected: codes <code> <text>, ...");
    std::string& codes = table.code_lists.back();
    if (!codes.empty()) Fail("a second code list for " + table.fields.back().name);
    codes = RestOfLine(line, words, 1);
  }

  void ParseField(std::string_view line, const std::vector<std::string_view>& words) {
    TableDef& table = Current();
    if (words.size() < 2) Fail("expected: <field> <type> [options] [caption]");
    FieldDef field;
    field.name = std::string(words[0]);
    ParseType(words[1], field);
    if (FindField(table.fields, field.name) >= 0) {
      Fail("field '" + field.name + "' defined twice in " + table.file_name);
    }
    Placement placement{field.name, page_, section_, {}, {}, 0};
    std::size_t next = 2;
    for (; next < words.size(); ++next) {
      const std::string_view word = words[next];
      if (word.starts_with("below=")) {
        placement.below = std::string(word.substr(6));
      } else if (word.starts_with("width=")) {
        placement.width = ParseNumber(word.substr(6));
      } else {
        break;
      }
    }
    placement.caption = RestOfLine(line, words, next);
    table.fields.push_back(std::move(field));
    table.meanings.push_back(placement.caption);
    table.code_lists.emplace_back();
    if (!page_.empty() && !placement.caption.empty()) table.placements.push_back(std::move(placement));
    else if (!placement.below.empty() || placement.width != 0) Fail("layout options on a field no window shows");
  }

  void ParseType(std::string_view word, FieldDef& field) {
    const std::size_t colon = word.find(':');
    const std::string_view name = word.substr(0, colon);
    const std::string_view size = colon == std::string_view::npos ? std::string_view() : word.substr(colon + 1);
    struct Known {
      std::string_view name;
      FieldType type;
      bool sized;
    };
    static constexpr Known kTypes[] = {
        {"string", FieldType::String, true}, {"memo", FieldType::Memo, true},
        {"float", FieldType::Float, false},  {"smallint", FieldType::SmallInt, false},
        {"integer", FieldType::Integer, false}, {"date", FieldType::Date, false},
    };
    for (const Known& known : kTypes) {
      if (name != known.name) continue;
      field.type = known.type;
      if (known.sized) {
        if (size.empty()) Fail(std::string(name) + " needs a size (" + std::string(name) + ":n)");
        field.size = ParseNumber(size);
      } else if (!size.empty()) {
        // Only a dBase numeric column carries a width and decimals ("float:14.2").
        const std::size_t point = size.find('.');
        if (known.type != FieldType::Float || point == std::string_view::npos) Fail("no size for " + std::string(name));
        field.size = ParseNumber(size.substr(0, point));
        field.decimals = ParseNumber(size.substr(point + 1));
      }
      return;
    }
    Fail("unknown type '" + std::string(word) + "'");
  }

  int ParseNumber(std::string_view digits) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 0) {
      Fail("'" + std::string(digits) + "' is not a number");
    }
    return value;
  }

  // Checks that need the whole table: every field that an index, a link or
  // a placement names exists.
  void Finish() {
    if (tables_.empty()) return;
    const TableDef& table = tables_.back();
    for (const Placement& placement : table.placements) {
      if (!placement.below.empty() && FindField(table.fields, placement.below) < 0) {
        Fail("below names unknown field " + placement.below + " in " + table.file_name);
      }
    }
    for (const IndexDef& index : table.indexes) {
      for (const std::string& name : index.fields) {
        if (FindField(table.fields, name) < 0) Fail("index of " + table.file_name + " names unknown field " + name);
      }
    }
    if (table.master) {
      const IndexDef* index = table.FindIndex(table.master->detail_index);
      if (!index) Fail(table.file_name + " links through unknown index " + table.master->detail_index);
      const auto& link = table.master->fields;
      if (link.size() > index->fields.size()) Fail("link of " + table.file_name + " is longer than its index");
      for (std::size_t i = 0; i < link.size(); ++i) {
        if (!text::EqualsIgnoreAsciiCase(link[i], index->fields[i])) {
          Fail("link of " + table.file_name + " does not lead its index " + index->name);
        }
      }
    }
  }

  std::string_view source_;
  int line_number_ = 0;
  std::vector<TableDef> tables_;
  std::string page_;
  std::string section_;
};

}  // namespace

std::vector<TableDef> ParseTableDefinitions(std::string_view text, std::string_view source) {
  return Parser(source).Run(text);
}

}  // namespace veltra::schema
