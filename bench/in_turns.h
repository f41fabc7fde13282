// Times the two sides of a comparison, taking turns at going first, so
// that neither profits from the other's warm caches or pays for the
// other's write-back.
#pragma once

#include <chrono>
#include <utility>

namespace varnel::bench {

class InTurns {
 public:
  // Runs both once; returns their times in seconds, in argument order.
  template <class A, class B>
  std::pair<double, double> Time(A&& a, B&& b) {
    double ta, tb;
    if (aFirst_) {
      ta = Seconds(a);
      tb = Seconds(b);
    } else {
      tb = Seconds(b);
      ta = Seconds(a);
    }
    aFirst_ = !aFirst_;
    return {ta, tb};
  }

 private:
  template <class F>
  static double Seconds(F&& run) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  bool aFirst_ = true;
};

}  // namespace varnel::bench
