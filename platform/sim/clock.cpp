// Simulated time of day: the machine's own local time unless a test sets it.
#include <ctime>
#include <optional>

#include "platform/random.h"
#include "platform/sim/state.h"

namespace sim {

namespace {
std::optional<float>& Fixed() {
  static std::optional<float> t;
  return t;
}
}  // namespace

namespace detail {
void ResetClock() { Fixed().reset(); }
}  // namespace detail

void SetTimeOfDay(std::optional<float> seconds) { Fixed() = seconds; }

}  // namespace sim

namespace plat {

float Timer() {
  if (sim::Fixed()) return *sim::Fixed();
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) +
         static_cast<float>(now.tv_nsec) / 1e9f;
}

}  // namespace plat
