// veltra-install [--demo] <folder>: creates a ready working folder.
#include <exception>
#include <iostream>
#include <string_view>

#include "install/working_folder.h"

namespace {

constexpr const char* kUsage =
    "usage: veltra-install [--demo] <folder>\n"
    "  creates a working folder with every table of the system;\n"
    "  --demo also puts a few fictitious records into the survey tables\n";

}  // namespace

int main(int argc, char** argv) {
  veltra::install::InstallOptions options;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--demo") {
      options.demo = true;
    } else if (argument.starts_with('-')) {
      // Never a folder: "--help" mistyped must not become one.
      std::cerr << "veltra-install: unknown option " << argument << "\n" << kUsage;
      return 2;
    } else if (folder) {
      std::cerr << "veltra-install: give one folder only\n" << kUsage;
      return 2;
    } else {
      folder = argv[i];
    }
  }
  if (!folder) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    veltra::install::CreateWorkingFolder(folder, options);
  } catch (const std::exception& error) {
    std::cerr << "veltra-install: " << error.what() << "\n";
    return 1;
  }
  std::cout << "working folder created: " << folder << "\n";
  return 0;
}
