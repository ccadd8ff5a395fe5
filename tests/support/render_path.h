#pragma once
// Where a test saves the picture of a window or page it draws: under the
// build folder, never in the sources or wherever the test was started.
#include <filesystem>
#include <string>

#include <QString>

namespace veltra::testing {

inline QString RenderPath(const std::string& name) {
  const std::filesystem::path folder(VELTRA_RENDER_DIR);
  std::filesystem::create_directories(folder);
  return QString::fromStdString((folder / name).string());
}

}  // namespace veltra::testing
