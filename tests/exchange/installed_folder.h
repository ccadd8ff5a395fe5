#pragma once
// A working folder as the installation makes it, with the demo records
// (sjgxq.db's remark lives in its memo file), and the maintenance work on it.
#include <filesystem>
#include <string>

#include "exchange/report_transfer.h"
#include "install/working_folder.h"
#include "platform/formats/file_io.h"
#include "tests/support/working_folder.h"

namespace veltra::exchange {

class InstalledFolderTest : public veltra::testing::WorkingFolderTest {
 protected:
  InstalledFolderTest() : work(folder() / "work") {
    install::CreateWorkingFolder(work, {.demo = true});
    unit = std::make_unique<mainunit::MainUnit>(work);
    unit->SendBaseDir = work.string() + "/";
  }

  // The file's bytes, or "" when it does not exist.
  std::string Bytes(const std::filesystem::path& path) {
    return std::filesystem::exists(path) ? formats::ReadWholeFile(path) : std::string();
  }
  void Write(const std::filesystem::path& path, const std::string& bytes) { formats::WriteFileAtomically(path, bytes); }

  // Every record of a table file as display text, one string per record.
  std::vector<std::string> Records(const std::filesystem::path& path) {
    std::vector<std::string> records;
    for (const auto& record : formats::OpenTableFile(path)->ReadAll()) {
      std::string line;
      for (const Value& value : record) line += value.ToDisplayText() + "|";
      records.push_back(line);
    }
    return records;
  }

  std::filesystem::path work;
  std::unique_ptr<mainunit::MainUnit> unit;
  veltra::testing::ScriptedPrompts prompts;
};

}  // namespace veltra::exchange
