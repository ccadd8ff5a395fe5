#pragma once
// Temporary working folders made by the install tool, removed after the test.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "install/working_folder.h"
#include "platform/formats/table_file.h"

namespace veltra::install {

class InstalledFolder {
 public:
  explicit InstalledFolder(bool demo) {
    root_ = std::filesystem::temp_directory_path() /
            ("veltra-install-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    CreateWorkingFolder(folder(), InstallOptions{demo});
  }
  ~InstalledFolder() { std::filesystem::remove_all(root_); }
  InstalledFolder(const InstalledFolder&) = delete;
  InstalledFolder& operator=(const InstalledFolder&) = delete;

  std::filesystem::path folder() const { return root_ / "work"; }
  const std::filesystem::path& root() const { return root_; }

  std::vector<formats::Record> Rows(const std::string& table) const {
    return formats::OpenTableFile(folder() / table)->ReadAll();
  }
  FieldDefs Fields(const std::string& table) const {
    return formats::OpenTableFile(folder() / table)->fields();
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path root_;
};

}  // namespace veltra::install
