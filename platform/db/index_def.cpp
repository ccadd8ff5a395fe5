#include "platform/db/index_def.h"

namespace veltra::db {

std::vector<std::string> SplitFieldList(const std::string& fields) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= fields.size()) {
    std::size_t end = fields.find(';', start);
    if (end == std::string::npos) end = fields.size();
    std::size_t first = start;
    std::size_t last = end;
    while (first < last && fields[first] == ' ') ++first;
    while (last > first && fields[last - 1] == ' ') --last;
    if (last > first) names.push_back(fields.substr(first, last - first));
    start = end + 1;
  }
  return names;
}

}  // namespace veltra::db
