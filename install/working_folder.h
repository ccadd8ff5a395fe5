#pragma once
// Creates a complete working folder: every survey table empty, every table
// that the system expects to find, with the rows of the default
// installation, and the folders bak, tmp, sendfile and attach.
#include <filesystem>

#include "install/row_file.h"

namespace veltra::install {

struct InstallOptions {
  bool demo = false;  // also fill the survey tables with a few fictitious records
};

// Builds the folder beside `folder` and renames it into place only when
// complete, so a failure leaves nothing behind. Refuses (InstallError) a
// folder that already exists: an existing working folder is never touched.
void CreateWorkingFolder(const std::filesystem::path& folder, const InstallOptions& options = {});

}  // namespace veltra::install
