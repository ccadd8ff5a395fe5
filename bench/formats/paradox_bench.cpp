// Writes and reads a table shaped like the enterprise report table
// (211 fields: 60 text fields of 1 to 100 bytes, one date, the rest
// numbers) with 20,000 records, and prints both times.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/formats/paradox_table.h"
#include "platform/text/gbk.h"

using namespace veltra;
using Clock = std::chrono::steady_clock;

int main() {
  constexpr int kRecords = 20000;
  FieldDefs fields;
  for (int i = 0; i < 60; ++i) fields.push_back({"text" + std::to_string(i), FieldType::String, 1 + i * 99 / 59});
  fields.push_back({"day", FieldType::Date, 0});
  for (int i = 0; fields.size() < 211; ++i) fields.push_back({"value" + std::to_string(i), FieldType::Float, 0});

  std::vector<formats::Record> records(kRecords);
  for (int r = 0; r < kRecords; ++r) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (fields[f].type == FieldType::String) {
        records[r].push_back(Value::Text(std::string(text::TruncateToGbkBytes("企业名称统计报表数据项目汉字填充文本", static_cast<std::size_t>(fields[f].size)))));
      } else if (fields[f].type == FieldType::Date) {
        records[r].push_back(Value::FromDate(Date{734477 + r % 365}));
      } else {
        records[r].push_back(Value::Float(r * 0.5 + static_cast<double>(f)));
      }
    }
  }
  const auto dir = std::filesystem::temp_directory_path() / ("paradox_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "kfq_1.db";

  const auto t0 = Clock::now();
  formats::CreateParadoxTable(path, fields, records);
  const auto t1 = Clock::now();
  const auto read = formats::OpenParadoxTable(path)->ReadAll();
  const auto t2 = Clock::now();
  const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
  std::printf("paradox kfq_1 shape: %zu records x %zu fields, %.1f MB\n", read.size(), fields.size(),
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("write %.0f ms, read %.0f ms\n", ms(t1 - t0), ms(t2 - t1));
  std::filesystem::remove_all(dir);
  return read.size() == records.size() ? 0 : 1;
}
