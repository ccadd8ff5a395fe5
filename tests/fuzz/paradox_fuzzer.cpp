// Opens arbitrary bytes as a Paradox table (and, when the input is long
// enough, its second half as the .mb) and reads every record.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/formats/paradox_table.h"
#include "platform/types/error.h"

namespace {

void WriteFile(const std::filesystem::path& path, const char* data, std::size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("paradox_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const char* bytes = reinterpret_cast<const char*>(data);
  // The first two bytes choose where the .db ends and the .mb begins.
  const std::size_t split = size >= 2 ? std::min<std::size_t>(size, 2 + (bytes[0] & 0xFF) * 256u + (bytes[1] & 0xFF)) : size;
  WriteFile(dir / "t.db", bytes + std::min<std::size_t>(2, size), split - std::min<std::size_t>(2, size));
  WriteFile(dir / "t.mb", bytes + split, size - split);
  try {
    auto table = veltra::formats::OpenParadoxTable(dir / "t.db");
    table->ReadAll();
  } catch (const veltra::EngineError&) {
  }
  return 0;
}
