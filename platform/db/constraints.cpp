#include "platform/db/constraints.h"

namespace veltra::db {

void ConstraintList::BeginUpdate() { ++update_depth_; }

void ConstraintList::EndUpdate() {
  if (update_depth_ > 0) --update_depth_;
  if (update_depth_ == 0 && changed_) {
    changed_ = false;
    if (on_change_) on_change_();
  }
}

void ConstraintList::Clear() {
  items_.clear();
  Changed();
}

void ConstraintList::Add(std::string condition, std::string message) {
  items_.push_back({std::move(condition), std::move(message)});
  Changed();
}

void ConstraintList::Changed() {
  changed_ = true;
  if (update_depth_ == 0) EndUpdate();
}

}  // namespace veltra::db
