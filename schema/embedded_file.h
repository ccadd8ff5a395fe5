#pragma once
// A text file built into a library at build time (see
// schema/embed_files.cmake), so that the program needs no data folder.
#include <string_view>
#include <vector>

namespace veltra {

struct EmbeddedFile {
  std::string_view name;  // path below the embedded folder, for messages ("demo/bodies.txt")
  std::string_view text;
};

}  // namespace veltra
