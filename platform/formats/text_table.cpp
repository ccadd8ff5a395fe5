#include "platform/formats/text_table.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/formats/file_io.h"
#include "platform/formats/record_checks.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// One line (GBK, without its line end) for the header or a record.
std::string EncodeNames(const FieldDefs& fields, const std::filesystem::path& file) {
  std::string line;
  for (const FieldDef& field : fields) {
    if (!line.empty()) line += ',';
    try {
      line += QuoteText(text::Utf8ToGbk(field.name));
    } catch (const text::TextError& e) {
      ErrorSubject subject;
      subject.table = file.string();
      subject.value = field.name;
      subject.reason = e.what();
      throw EngineError(EngineError::Kind::InvalidName, "field name " + field.name + " of " + file.string(), subject);
    }
  }
  return line;
}

std::string EncodeRecord(const FieldDefs& fields, const Record& record, const std::filesystem::path& file) {
  CheckRecordWidth(file, record, fields.size());
  std::string line;
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (i > 0) line += ',';
    const Value& value = record[i];
    try {
      if (value.kind() == Value::Kind::Bytes) RefuseValue(file, fields[i].name, "", "存放二进制数据，不能存入文本表");
      const std::string gbk = text::Utf8ToGbk(value.ToDisplayText());
      line += value.kind() == Value::Kind::Text ? QuoteText(gbk) : gbk;
    } catch (const text::TextError& e) {
      RefuseUnstorableText(file, fields[i].name, value.ToDisplayText(), e.what());
    }
  }
  return line;
}

// FileFormat for line `line` of a text table, `what` in the user's words.
[[noreturn]] void RefuseTextLine(const std::filesystem::path& file, std::size_t line, const std::string& what) {
  ErrorSubject subject;
  subject.table = file.string();
  subject.reason = "第" + std::to_string(line) + "行" + what;
  throw EngineError(EngineError::Kind::FileFormat, file.string() + ": " + subject.reason, subject);
}

// Splits the file into lines of cells, honouring quotes.
class Parser {
 public:
  Parser(std::string_view content, const std::filesystem::path& file) : s_(content), file_(file) {}

  struct Line {
    std::vector<std::string> cells;  // GBK, quotes removed
    std::string_view raw;            // as stored, without the line end
  };

  bool AtEnd() const { return pos_ >= s_.size(); }
  std::size_t line() const { return line_; }

  Line NextLine() {
    Line line;
    const std::size_t start = pos_;
    while (true) {
      line.cells.push_back(NextCell());
      line.raw = s_.substr(start, pos_ - start);
      if (pos_ >= s_.size()) return line;
      const char c = s_[pos_++];
      if (c == ',') continue;
      if (c == '\r' && pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
      ++line_;
      return line;
    }
  }

 private:
  std::string NextCell() {
    if (pos_ >= s_.size() || s_[pos_] != '"') {
      const std::size_t end = std::min(s_.find_first_of(",\r\n", pos_), s_.size());
      std::string cell(s_.substr(pos_, end - pos_));
      pos_ = end;
      return cell;
    }
    const std::size_t start_line = line_;
    std::string cell;
    ++pos_;
    while (true) {
      if (pos_ >= s_.size()) Fail(start_line, "起头的引号没有配对的结束引号");
      const char c = s_[pos_++];
      if (c == '"') {
        if (pos_ < s_.size() && s_[pos_] == '"') {
          cell += '"';
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\n') ++line_;
      cell += c;
    }
    if (pos_ < s_.size() && s_.find_first_of(",\r\n", pos_) != pos_) {
      Fail(line_, "结束引号后面还有文字");
    }
    return cell;
  }

  [[noreturn]] void Fail(std::size_t line, const std::string& what) const { RefuseTextLine(file_, line, what); }

  std::string_view s_;
  const std::filesystem::path& file_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
};

class TextTable final : public TableFile {
 public:
  explicit TextTable(const std::filesystem::path& path) : path_(path) { Load(); }

  TableKind kind() const override { return TableKind::Text; }
  const std::filesystem::path& path() const override { return path_; }
  const FieldDefs& fields() const override { return fields_; }
  int key_field_count() const override { return 0; }
  std::size_t record_count() const override { return records_.size(); }
  std::vector<Record> ReadAll() override { return records_; }

  void Rewrite(const std::vector<Record>& records) override { CreateTextTable(path_, fields_, records); }
  void Append(const Record& record) override {
    std::vector<std::string> lines = lines_;
    lines.push_back(EncodeRecord(fields_, record, path_));
    Save(std::move(lines));
    records_.push_back(AsText(record));
    Widen(records_.back());
  }

  void Overwrite(std::size_t position, const Record& record) override {
    CheckRecordPosition(path_, position, records_.size());
    std::vector<std::string> lines = lines_;
    lines[position] = EncodeRecord(fields_, record, path_);
    Save(std::move(lines));
    records_[position] = AsText(record);
    Widen(records_[position]);
  }

  void Remove(std::size_t position) override {
    CheckRecordPosition(path_, position, records_.size());
    std::vector<std::string> lines = lines_;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(position));
    Save(std::move(lines));
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  }

  // Every write replaces the file whole and flushed.
  void Sync() override {}

 protected:
  // A group's writes change memory only; the file is written once at its end.
  void BeginGroup() override { in_group_ = true; }
  void CommitGroup() override {
    in_group_ = false;
    Save(std::move(lines_));
  }
  void AbandonGroup() override {
    in_group_ = false;
    Load();
  }

 private:
  void Load() {
    fields_.clear();
    records_.clear();
    lines_.clear();
    const std::string content = ReadWholeFile(path_);
    Parser parser(content, path_);
    if (parser.AtEnd()) Fail(1, "缺少字段名的标题行");
    for (const std::string& name : parser.NextLine().cells) {
      std::string utf8 = Decode(name, 1);
      if (utf8.empty()) Fail(1, "第" + std::to_string(fields_.size() + 1) + "个字段没有名称");
      fields_.push_back(FieldDef{std::move(utf8), FieldType::String, 1, 0});
    }
    while (!parser.AtEnd()) {
      const std::size_t line = parser.line();
      Parser::Line parsed = parser.NextLine();
      if (parsed.cells.size() != fields_.size()) {
        Fail(line, "有" + std::to_string(parsed.cells.size()) + "个值，标题行却有" + std::to_string(fields_.size()) +
                       "个字段");
      }
      Record record;
      for (const std::string& cell : parsed.cells) record.push_back(Value::Text(Decode(cell, line)));
      Widen(record);
      records_.push_back(std::move(record));
      lines_.emplace_back(parsed.raw);
    }
  }

  [[noreturn]] void Fail(std::size_t line, const std::string& what) const { RefuseTextLine(path_, line, what); }

  std::string Decode(std::string_view gbk, std::size_t line) const {
    try {
      return text::GbkToUtf8(gbk);
    } catch (const text::TextError& e) {
      Fail(line, std::string("的文字无法识别：") + e.what());
    }
  }

  // The record as reading the file back gives it.
  static Record AsText(const Record& record) {
    Record text;
    for (const Value& v : record) text.push_back(Value::Text(v.ToDisplayText()));
    return text;
  }

  // Each String field is as wide as its widest value.
  void Widen(const Record& record) {
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (record[i].is_null()) continue;
      fields_[i].size = std::max(fields_[i].size, static_cast<int>(text::GbkLength(record[i].text())));
    }
  }

  // Writes the file whole (outside a group); memory follows only once it is written.
  void Save(std::vector<std::string> lines) {
    if (!in_group_) {
      std::string content = EncodeNames(fields_, path_);
      content += kLineEnd;
      for (const std::string& line : lines) {
        content += line;
        content += kLineEnd;
      }
      WriteFileAtomically(path_, content);
    }
    lines_ = std::move(lines);
  }

  std::filesystem::path path_;
  FieldDefs fields_;
  std::vector<Record> records_;
  std::vector<std::string> lines_;  // each record as stored, so rewrites keep untouched lines
  bool in_group_ = false;
};

}  // namespace

std::unique_ptr<TableFile> OpenTextTable(const std::filesystem::path& path) {
  return std::make_unique<TextTable>(path);
}

void CreateTextTable(const std::filesystem::path& path, const FieldDefs& fields,
                     const std::vector<Record>& records) {
  std::string content = EncodeNames(fields, path);
  content += kLineEnd;
  for (const Record& record : records) {
    Record cut = record;
    for (std::size_t i = 0; i < cut.size() && i < fields.size(); ++i) {
      if (fields[i].type == FieldType::String && cut[i].kind() == Value::Kind::Text) {
        cut[i] = Value::Text(std::string(text::TruncateToGbkBytes(cut[i].text(), fields[i].size)));
      }
    }
    content += EncodeRecord(fields, cut, path);
    content += kLineEnd;
  }
  WriteFileAtomically(path, content);
}

}  // namespace veltra::formats
