// Writes and reads a table shaped like the enterprise report table
// (211 fields: 60 text fields of 1 to 100 bytes, one date, the rest
// numbers) with 20,000 records, and prints both times beside a plain
// single pass over the file that decodes every value (numbers and dates
// to their binary form, text to UTF-8 in one reused buffer) and keeps
// none. Run it under `taskset -c 0` to compare on one core.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/formats/file_io.h"
#include "platform/formats/paradox_header.h"
#include "platform/formats/paradox_table.h"
#include "platform/text/gbk.h"

using namespace veltra;
using Clock = std::chrono::steady_clock;

namespace {

// A big-endian field with its sign bit flipped, as Paradox stores numbers.
std::uint64_t Unflipped(const char* p, int width) {
  std::uint64_t bits = 0;
  for (int i = 0; i < width; ++i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
  const std::uint64_t sign = std::uint64_t{1} << (width * 8 - 1);
  return bits & sign ? bits & ~sign : ~bits;
}

// Every value of every record, block by block; a sum of what was decoded
// so that none of it is left out.
double PlainDecode(const std::filesystem::path& path) {
  const std::string bytes = formats::ReadWholeFile(path);
  const formats::paradox::ParadoxHeader header = formats::paradox::ParseHeader(bytes, bytes.size(), path);
  double checksum = 0;
  std::string text;
  for (int block = 0; block < header.file_blocks; ++block) {
    const char* at = bytes.data() + header.header_size + static_cast<std::size_t>(block) * header.block_size;
    // Offset of the block's last record; negative in an empty block.
    const int last_offset = static_cast<std::int16_t>(static_cast<unsigned char>(at[4]) | static_cast<unsigned char>(at[5]) << 8);
    for (const char* record = at + 6; record <= at + 6 + last_offset; record += header.record_size) {
      const char* field = record;
      for (const formats::paradox::ParadoxField& f : header.fields) {
        if (f.def.type == FieldType::String) {
          text.clear();
          text::AppendGbkAsUtf8({field, strnlen(field, static_cast<std::size_t>(f.width))}, text);
          checksum += static_cast<double>(text.size());
        } else {
          const std::uint64_t bits = Unflipped(field, f.width);
          double number = 0;
          if (f.width == 8) std::memcpy(&number, &bits, sizeof number);
          checksum += f.width == 8 ? number : static_cast<double>(bits & 0xFFFFFFFF);
        }
        field += f.width;
      }
    }
  }
  return checksum;
}

}  // namespace

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
  const double checksum = PlainDecode(path);
  const auto t3 = Clock::now();
  const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
  std::printf("paradox kfq_1 shape: %zu records x %zu fields, %.1f MB\n", read.size(), fields.size(),
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("write %.0f ms, read %.0f ms, plain decode %.0f ms (%.1fx; checksum %g)\n", ms(t1 - t0), ms(t2 - t1),
              ms(t3 - t2), ms(t2 - t1) / ms(t3 - t2), checksum);
  std::filesystem::remove_all(dir);
  return read.size() == records.size() ? 0 : 1;
}
