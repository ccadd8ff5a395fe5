#include "dbtool/save_file_name.h"

#include <filesystem>

namespace veltra::dbtool {

std::string WithFilterExtension(std::string file_name, int filter_index) {
  if (std::filesystem::path(file_name).has_extension()) return file_name;
  switch (filter_index) {
    case 2: return file_name + ".dbf";
    case 3: return file_name + ".txt";
    default: return file_name + ".db";
  }
}

}  // namespace veltra::dbtool
