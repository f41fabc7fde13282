// Simulated date and time of day: the machine's own local time unless a
// test fixes them.
#include <ctime>
#include <optional>

#include "platform/api.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/sim/state.h"

namespace sim {

namespace {
std::optional<float>& Fixed() {
  static std::optional<float> t;
  return t;
}

std::optional<plat::LocalTime>& FixedNow() {
  static std::optional<plat::LocalTime> t;
  return t;
}

// The simulated system's uptime: it moves only with the timer's ticks and
// when a test moves it, so waits measured in it are exact.
std::uint32_t& Uptime() {
  static std::uint32_t ms = kBootUptimeMs;
  return ms;
}

plat::OsVersionInfo& Version() {
  static plat::OsVersionInfo v = kWindows10;
  return v;
}
}  // namespace

namespace detail {
void ResetClock() {
  Fixed().reset();
  FixedNow().reset();
  Uptime() = kBootUptimeMs;
  Version() = kWindows10;
}
}  // namespace detail

void AdvanceTickCount(std::uint32_t ms) { Uptime() += ms; }
void SetWindowsVersion(plat::OsVersionInfo version) { Version() = version; }

void SetTimeOfDay(std::optional<float> seconds) { Fixed() = seconds; }
void SetNow(std::optional<plat::LocalTime> now) { FixedNow() = now; }

}  // namespace sim

namespace plat {

std::uint32_t GetTickCount() { return sim::Uptime(); }

std::int32_t RtlGetVersion(OsVersionInfo* lpVersionInformation) {
  sim::detail::Log("RtlGetVersion()");
  *lpVersionInformation = sim::Version();
  return 0;
}

LocalTime Now() {
  if (sim::FixedNow()) return *sim::FixedNow();
  const std::time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

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
