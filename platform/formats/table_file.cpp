#include "platform/formats/table_file.h"

#include "platform/text/ascii.h"

namespace veltra::formats {

TableKind KindForPath(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  if (text::EqualsIgnoreAsciiCase(extension, ".dbf")) return TableKind::DBase;
  if (text::EqualsIgnoreAsciiCase(extension, ".txt")) return TableKind::Text;
  return TableKind::Paradox;
}

}  // namespace veltra::formats
