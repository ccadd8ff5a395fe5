#include "platform/db/string_list.h"

namespace veltra::db {

void StringList::Clear() {
  lines_.clear();
  Changed();
}

void StringList::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

std::string StringList::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines_[i];
  }
  return text;
}

void StringList::SetText(const std::string& text) {
  lines_.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (end < text.size() || !line.empty()) lines_.push_back(std::move(line));
    start = end + 1;
  }
  Changed();
}

void StringList::Changed() {
  if (on_change) on_change();
}

}  // namespace veltra::db
