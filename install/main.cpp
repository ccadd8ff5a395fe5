// veltra-install [--demo] <folder>: creates a ready working folder.
#include <cstring>
#include <exception>
#include <iostream>

#include "install/working_folder.h"

int main(int argc, char** argv) {
  veltra::install::InstallOptions options;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--demo") == 0) options.demo = true;
    else if (!folder) folder = argv[i];
    else folder = nullptr, i = argc;  // more than one folder: show the usage
  }
  if (!folder) {
    std::cerr << "usage: veltra-install [--demo] <folder>\n"
                 "  creates a working folder with every table of the system;\n"
                 "  --demo also puts a few fictitious records into the survey tables\n";
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
