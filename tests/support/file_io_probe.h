#pragma once
// Watches the table files' layer while it lives: counts the syncs of one
// file and, when asked, fails its writes.
#include <filesystem>
#include <string>

#include "platform/formats/file_io.h"
#include "platform/types/error.h"

namespace veltra::testing {

class FileIoProbe : public formats::FileIoObserver {
 public:
  explicit FileIoProbe(std::string file_name)
      : file_name_(std::move(file_name)), previous_(formats::SetFileIoObserver(this)) {}
  ~FileIoProbe() override { formats::SetFileIoObserver(previous_); }
  FileIoProbe(const FileIoProbe&) = delete;
  FileIoProbe& operator=(const FileIoProbe&) = delete;

  void BeforeSync(const std::filesystem::path& file) override {
    if (file.filename() == file_name_) ++syncs;
  }
  void BeforeWrite(const std::filesystem::path& file, std::uint64_t, std::size_t) override {
    if (fail_writes && file.filename() == file_name_) throw EngineError(EngineError::Kind::Io, "disk full");
  }

  int syncs = 0;
  bool fail_writes = false;

 private:
  std::string file_name_;
  formats::FileIoObserver* previous_;
};

}  // namespace veltra::testing
