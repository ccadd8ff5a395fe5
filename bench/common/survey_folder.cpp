#include "bench/common/survey_folder.h"

#include <cstdio>
#include <string>
#include <vector>

#include "install/working_folder.h"
#include "platform/formats/table_file.h"
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

void SetText(formats::Record& record, const FieldDefs& fields, const char* name, std::string value) {
  record[FindField(fields, name)] = Value::Text(std::move(value));
}

std::vector<formats::Record> Records(const FieldDefs& fields, int count, int per_enterprise, const char* sequence) {
  std::vector<formats::Record> records;
  records.reserve(count);
  for (int n = 0; n < count; ++n) {
    formats::Record record;
    for (std::size_t f = 0; f < fields.size(); ++f) record.push_back(Synthetic(fields[f], n, static_cast<int>(f)));
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

void WriteSurveyTable(const fs::path& folder, const char* name, int count, int per_enterprise, const char* sequence) {
  const FieldDefs& fields = schema::FindTable(name)->fields;
  formats::CreateTableFile(folder / name, formats::TableKind::Paradox, fields,
                           Records(fields, count, per_enterprise, sequence));
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

void MakeSurveyFolder(const fs::path& folder, int enterprises) {
  install::CreateWorkingFolder(folder);
  WriteSurveyTable(folder, "kfq_1.db", enterprises, 1, nullptr);
  WriteSurveyTable(folder, "kfq_2.db", enterprises * kProductsEach, kProductsEach, "QE01");
  WriteSurveyTable(folder, "kfq_5.db", enterprises * kProjectsEach, kProjectsEach, "Qh00");
  AddGeneratedRules(folder);
}

}  // namespace veltra::bench
