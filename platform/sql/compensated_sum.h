#pragma once
// A running sum of doubles that carries the rounding error of each addition
// (Kahan-Babuska-Neumaier), so a total of values near 1e15 among ordinary
// ones comes out as the exact sum rounded once, whatever order the records
// are read in.
#include <cmath>

namespace veltra::sql {

class CompensatedSum {
 public:
  void Add(double value) {
    const double total = sum_ + value;
    if (std::fabs(sum_) >= std::fabs(value)) {
      error_ += (sum_ - total) + value;
    } else {
      error_ += (value - total) + sum_;
    }
    sum_ = total;
  }

  // An infinite or NaN error term carries no correction.
  double Total() const { return std::isfinite(error_) ? sum_ + error_ : sum_; }

 private:
  double sum_ = 0;
  double error_ = 0;
};

}  // namespace veltra::sql
