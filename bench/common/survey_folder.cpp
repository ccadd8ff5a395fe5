#include "bench/common/survey_folder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "install/working_folder.h"
#include "platform/formats/table_file.h"
#include "platform/types/error.h"
#include "schema/schema.h"

namespace veltra::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kGeneratedRules = 200;

std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

// A value for field `f` of record `n`: keys where the tables need them,
// else small codes and numbers of which about one in a thousand is negative.
Value Synthetic(const FieldDef& field, int n, int f) {
  switch (field.type) {
    case FieldType::String: {
      std::string text = std::to_string((n + f) % 3 + 1);
      if (field.size >= 6) text = Number((n * 7 + f) % 1000000);
      return Value::Text(text);
    }
    case FieldType::Float:
      return Value::Float(((n * 13 + f) % 1000 == 0 ? -1.0 : 1.0) * (n % 1000 + 1));
    case FieldType::SmallInt:
    case FieldType::Integer:
      return Value::Integer((n + f) % 100);
    default:
      return Value();
  }
}

// Values as a year's returns hold them, drawn at random for every field.
class Returns {
 public:
  Returns(unsigned seed, bool long_texts) : random_(seed), long_texts_(long_texts) {}

  Value Of(const std::string& table, const FieldDef& field) {
    if (Draw(20) == 0) return Value();  // left empty
    switch (field.type) {
      case FieldType::String: return Value::Text(TextOf(table, field));
      case FieldType::Float:
      case FieldType::Money: {
        const double scale = std::pow(10.0, Draw(6));
        const double value = static_cast<double>(Draw(static_cast<unsigned>(scale * 10))) / 10;
        return Value::Float(Draw(50) == 0 ? -value : value);
      }
      case FieldType::SmallInt:
      case FieldType::Integer: return Value::Integer(Draw(1000));
      case FieldType::Date: return Value::FromDate(Date{MakeDate(2011, 1, 1)->day + static_cast<int>(Draw(365))});
      default: return Value();
    }
  }

  // Unique text of at most `size` bytes for record `n`.
  std::string Unique(int n, int size) {
    std::string text = Number(n);
    while (static_cast<int>(text.size()) + 2 <= size && (long_texts_ || text.size() < 12)) text += Chinese();
    return text;
  }

 private:
  unsigned Draw(unsigned below) { return static_cast<unsigned>(random_() % below); }

  std::string Chinese() {
    static const char* const kCharacters[] = {"企", "业", "科", "技", "产", "品", "开", "发", "有", "限",
                                              "公", "司", "北", "京", "上", "海", "中", "心", "电", "子"};
    return kCharacters[Draw(std::size(kCharacters))];
  }

  std::string TextOf(const std::string& table, const FieldDef& field) {
    if (field.size == 1) return std::to_string(1 + Draw(4));
    if (table == "kfq_5.db" && field.size == 6) {  // a project's start or end, year and month
      const unsigned month = 1 + Draw(12);
      return "2011" + std::string(month < 10 ? "0" : "") + std::to_string(month);
    }
    std::string text;
    if (field.size <= 20) {
      const unsigned length = 1 + Draw(static_cast<unsigned>(field.size));
      while (text.size() < length) text += static_cast<char>('0' + Draw(10));
      return text;
    }
    const unsigned characters =
        long_texts_ ? static_cast<unsigned>(field.size / 2) : 1 + Draw(static_cast<unsigned>(std::min(field.size / 2, 20)));
    for (unsigned c = 0; c < characters; ++c) text += Chinese();
    return text;
  }

  std::mt19937 random_;
  bool long_texts_;
};

void SetText(formats::Record& record, const FieldDefs& fields, const char* name, std::string value) {
  record[FindField(fields, name)] = Value::Text(std::move(value));
}

// Record `n` of `table` as returned: unique fields told apart by `n`.
formats::Record ReturnedRecord(const schema::TableDef& table, const std::set<std::string>& unique, Returns& returns,
                               int n) {
  formats::Record record;
  record.reserve(table.fields.size());
  for (const FieldDef& field : table.fields) {
    record.push_back(unique.count(field.name) ? Value::Text(returns.Unique(n, field.size))
                                              : returns.Of(table.file_name, field));
  }
  return record;
}

std::vector<formats::Record> Records(const char* table, int count, int per_enterprise, const char* sequence,
                                     SurveyWorkload workload) {
  const schema::TableDef& definition = *schema::FindTable(table);
  const FieldDefs& fields = definition.fields;
  const std::set<std::string> unique = UniqueFields(definition);
  Returns returns(static_cast<unsigned>(2011 + count), workload == SurveyWorkload::LongTexts);
  std::vector<formats::Record> records;
  records.reserve(count);
  for (int n = 0; n < count; ++n) {
    formats::Record record;
    if (workload == SurveyWorkload::GeneratedRules) {
      for (std::size_t f = 0; f < fields.size(); ++f) record.push_back(Synthetic(fields[f], n, static_cast<int>(f)));
    } else {
      record = ReturnedRecord(definition, unique, returns, n);
    }
    const std::string qa01 = Number(n / per_enterprise + 1);
    SetText(record, fields, "QA01", qa01);
    if (sequence != nullptr) {
      const std::string k = std::to_string(n % per_enterprise + 1);
      SetText(record, fields, sequence, k);
      SetText(record, fields, "ID", qa01 + "_" + k);
    } else {
      SetText(record, fields, "Id", qa01);
    }
    records.push_back(std::move(record));
  }
  return records;
}

void WriteSurveyTable(const fs::path& folder, const char* name, int count, int per_enterprise, const char* sequence,
                      SurveyWorkload workload) {
  formats::CreateTableFile(folder / name, formats::TableKind::Paradox, schema::FindTable(name)->fields,
                           Records(name, count, per_enterprise, sequence, workload));
}


// Plain rules over the enterprise table's numeric fields.
void AddGeneratedRules(const fs::path& folder) {
  auto rules = formats::OpenTableFile(folder / "kfq1_chk.db");
  const FieldDefs& fields = schema::FindTable("kfq_1.db")->fields;
  std::vector<std::string> numbers;
  for (const FieldDef& field : fields)
    if (field.type == FieldType::Float) numbers.push_back(field.name);
  for (int r = 0; r < kGeneratedRules; ++r) {
    const std::string& a = numbers[r % numbers.size()];
    const std::string& b = numbers[(r * 7 + 3) % numbers.size()];
    formats::Record rule(rules->fields().size());
    rule[0] = Value::Text(a);
    rule[1] = Value::Text(r % 2 ? a + ">=0" : a + "<=" + b + "+1000");
    rule[2] = Value::Text("生成规则" + std::to_string(r));
    rule[4] = Value::Text(r % 3 ? "错误" : "警告");
    rules->Append(rule);
  }
}

}  // namespace

const char* WorkloadName(SurveyWorkload workload) {
  switch (workload) {
    case SurveyWorkload::GeneratedRules: return "generated rules";
    case SurveyWorkload::YearsReturns: return "a year's returns";
    case SurveyWorkload::LongTexts: return "a year's returns with long texts";
  }
  return "";
}

void MakeSurveyFolder(const fs::path& folder, int enterprises, SurveyWorkload workload) {
  install::CreateWorkingFolder(folder);
  WriteSurveyTable(folder, "kfq_1.db", enterprises, 1, nullptr, workload);
  WriteSurveyTable(folder, "kfq_2.db", enterprises * kProductsEach, kProductsEach, "QE01", workload);
  WriteSurveyTable(folder, "kfq_5.db", enterprises * kProjectsEach, kProjectsEach, "Qh00", workload);
  if (workload == SurveyWorkload::GeneratedRules) {
    AddGeneratedRules(folder);
    return;
  }
  // The other tables the report builders read, returned alike.
  for (const auto& [table, count] : {std::pair{"rjjdqy.db", enterprises}, std::pair{"gjxm.db", enterprises * 2},
                                     std::pair{"dfxm2.db", enterprises * 2}}) {
    const schema::TableDef& definition = *schema::FindTable(table);
    const std::set<std::string> unique = UniqueFields(definition);
    Returns returns(static_cast<unsigned>(count), workload == SurveyWorkload::LongTexts);
    std::vector<formats::Record> records;
    records.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) records.push_back(ReturnedRecord(definition, unique, returns, n));
    formats::CreateTableFile(folder / table, formats::TableKind::Paradox, definition.fields, records);
  }
}

std::set<std::string> UniqueFields(const schema::TableDef& table) {
  std::set<std::string> fields;
  for (const db::IndexDef& index : table.indexes) {
    if (!index.primary && !index.unique) continue;
    for (const std::string& name : db::SplitFieldList(index.fields)) fields.insert(name);
  }
  return fields;
}

std::optional<FolderOptions> ParseFolderOptions(int argc, char** argv, bool generates) {
  FolderOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--folder" && i + 1 < argc) {
      options.folder = argv[++i];
    } else if (generates && arg == "--returns") {
      options.workload = SurveyWorkload::YearsReturns;
    } else if (generates && arg == "--long-texts") {
      options.workload = SurveyWorkload::LongTexts;
    } else if (generates && std::atoi(arg.c_str()) > 0) {
      options.enterprises = std::atoi(arg.c_str());
    } else {
      std::fprintf(stderr, "usage: %s %s[--folder DIR]\n", argv[0], generates ? "[N] [--returns | --long-texts] " : "");
      return std::nullopt;
    }
  }
  return options;
}

int RunReportingEngineErrors(const char* program, const std::function<int()>& work) {
  try {
    return work();
  } catch (const EngineError& error) {
    std::fprintf(stderr, "%s: %s\n", program, error.what());
    return 1;
  }
}

}  // namespace veltra::bench
