// Feeds arbitrary bytes to the text table reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/formats/file_io.h"
#include "platform/formats/text_table.h"
#include "platform/types/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = [] {
    auto d = std::filesystem::temp_directory_path() / ("veltra_text_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d / "f.txt";
  }();
  veltra::formats::WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    auto table = veltra::formats::OpenTextTable(file);
    const auto records = table->ReadAll();
    // Whatever reads must write back.
    if (!records.empty()) table->Overwrite(0, records[0]);
  } catch (const veltra::EngineError&) {
  }
  return 0;
}
