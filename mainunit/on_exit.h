#pragma once
// Runs a restoring step when the scope ends, error or not, so that paired
// changes (constraints suspended, a flag cleared, a master link removed)
// always balance. A restore that fails is reported like any other error;
// while another error is already on its way out, that one is told instead,
// since two at once would end the program.
#include <exception>
#include <utility>

namespace veltra::mainunit {

template <typename Restore>
class OnExit {
 public:
  explicit OnExit(Restore restore) : restore_(std::move(restore)), errors_(std::uncaught_exceptions()) {}
  ~OnExit() noexcept(false) {
    if (std::uncaught_exceptions() == errors_) {
      restore_();
      return;
    }
    try {
      restore_();
    } catch (...) {  // the error being unwound is the one to tell
    }
  }
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;

 private:
  Restore restore_;
  int errors_;
};

}  // namespace veltra::mainunit
