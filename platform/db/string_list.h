#pragma once
// An ordered list of text lines (the SQL text of a query), with a hook that
// tells its owner when the lines change.
#include <functional>
#include <string>
#include <vector>

namespace veltra::db {

class StringList {
 public:
  void Clear();
  void Add(std::string line);
  // The lines joined with '\n'; SetText splits on line breaks.
  std::string Text() const;
  void SetText(const std::string& text);

  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t Count() const { return lines_.size(); }

  std::function<void()> on_change;

 private:
  void Changed();
  std::vector<std::string> lines_;
};

}  // namespace veltra::db
