#pragma once
// A table copied byte for byte is copied as the next open would see it,
// never with a group of writes half done.
#include <filesystem>

#include "platform/formats/table_recovery.h"

namespace veltra::exchange {

// Repairs what a killed writer left beside `table` (journal, intent,
// temporaries); a repair that fails is refused naming the table.
void RecoverBeforeCopy(const std::filesystem::path& table, formats::FolderOrigin origin);

}  // namespace veltra::exchange
