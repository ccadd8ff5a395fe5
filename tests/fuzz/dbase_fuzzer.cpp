// Feeds arbitrary bytes to the dBase reader as a .dbf; a second part of
// the input, after the first "DBT!" marker, becomes its .dbt memo file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/formats/dbase_table.h"
#include "platform/formats/file_io.h"
#include "platform/types/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("veltra_dbase_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find("DBT!");
  veltra::formats::WriteFileAtomically(dir / "f.dbf", input.substr(0, split));
  std::filesystem::remove(dir / "f.dbt");
  if (split != std::string_view::npos) veltra::formats::WriteFileAtomically(dir / "f.dbt", input.substr(split + 4));
  try {
    auto table = veltra::formats::OpenDBaseTable(dir / "f.dbf");
    table->ReadAll();
    if (table->record_count() > 0) table->Remove(0);
  } catch (const veltra::EngineError&) {
  }
  return 0;
}
