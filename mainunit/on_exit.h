#pragma once
// Runs a restoring step when the scope ends, error or not, so that paired
// changes (constraints suspended, a flag cleared, a master link removed)
// always balance.
#include <utility>

namespace veltra::mainunit {

template <typename Restore>
class OnExit {
 public:
  explicit OnExit(Restore restore) : restore_(std::move(restore)) {}
  ~OnExit() { restore_(); }
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;

 private:
  Restore restore_;
};

}  // namespace veltra::mainunit
