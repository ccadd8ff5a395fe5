#pragma once
// Record constraints of a table: conditions in the SQL expression syntax
// that every posted record must meet. A condition passes when it is true
// or unknown; a false one fails the post with exactly its message.
#include <functional>
#include <string>
#include <vector>

namespace veltra::db {

struct RecordConstraint {
  std::string condition;  // "QC05>=0 and QC05<=1e9"
  std::string message;
};

class ConstraintList {
 public:
  // Changes between BeginUpdate and EndUpdate take effect at EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  void Clear();
  void Add(std::string condition, std::string message);

  const std::vector<RecordConstraint>& items() const { return items_; }
  bool Updating() const { return update_depth_ > 0; }

 private:
  friend class Table;
  void Changed();
  std::vector<RecordConstraint> items_;
  int update_depth_ = 0;
  bool changed_ = false;
  std::function<void()> on_change_;
};

}  // namespace veltra::db
