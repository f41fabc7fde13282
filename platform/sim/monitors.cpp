// The simulated monitors and pointer, and what a program reads of them
// according to the dots-per-inch awareness it declares.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

struct Monitors {
  std::vector<Monitor> list{{{0, 0, 1280, 1024}, 96, true}};
  plat::Point pointer{};
  std::optional<DpiAwareness> awareness;  // stated by a test
};

Monitors& M() {
  static Monitors m;
  return m;
}

const Monitor& Primary() {
  const auto& list = M().list;
  const auto p = std::find_if(list.begin(), list.end(), [](const Monitor& m) { return m.primary; });
  return p != list.end() ? *p : list.front();
}

// The dots per inch a program not aware of each monitor's reads every
// monitor at.
int SystemDpi(DpiAwareness awareness) { return awareness == DpiAwareness::System ? Primary().dpi : 96; }

// A monitor as the program reads it. "Applications scaled by the system
// ... will read virtualized data about the monitor to maintain
// compatibility" (PROCESS_DPI_AWARENESS, Microsoft Learn): here its size
// is scaled from the monitor's dots per inch to the system's, its top-left
// corner kept.
plat::Rect Seen(const Monitor& m) {
  const DpiAwareness a = M().awareness.value_or(DeclaredDpiAwareness());
  if (a == DpiAwareness::PerMonitor || m.dpi == SystemDpi(a)) return m.rect;
  const auto scale = [&](std::int32_t v) { return static_cast<std::int32_t>(std::int64_t{v} * SystemDpi(a) / m.dpi); };
  return {m.rect.left, m.rect.top, m.rect.left + scale(m.rect.right - m.rect.left),
          m.rect.top + scale(m.rect.bottom - m.rect.top)};
}

bool Inside(const plat::Rect& r, plat::Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// How far a point is from a rectangle, squared (0 inside).
std::int64_t Distance(const plat::Rect& r, plat::Point p) {
  const std::int64_t dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
  const std::int64_t dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

// Monitor handles are their index plus this.
constexpr plat::Handle kFirstMonitor = 0x10001;

}  // namespace

namespace detail {
void ResetMonitors() {
  M() = Monitors{};
  M().pointer = {Primary().rect.left, Primary().rect.top};
}
}  // namespace detail

void SetMonitors(std::vector<Monitor> monitors) {
  if (monitors.empty()) return;
  M().list = std::move(monitors);
}

void PointerAt(plat::Point p) { M().pointer = p; }

DpiAwareness DeclaredDpiAwareness() {
  static const DpiAwareness declared = [] {
    std::ifstream in(VARNEL_MANIFEST_FILE);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Windows 10 1607 and later read <dpiAwareness> and ignore <dpiAware>
    // where both are given.
    const auto open = text.find("<dpiAwareness");
    if (open != std::string::npos) {
      const auto start = text.find('>', open) + 1;
      const std::string value = text.substr(start, text.find('<', start) - start);
      if (value.find("PerMonitor") != std::string::npos) return DpiAwareness::PerMonitor;
      if (value.find("System") != std::string::npos) return DpiAwareness::System;
      return DpiAwareness::Unaware;
    }
    const auto old = text.find("<dpiAware");
    if (old == std::string::npos) return DpiAwareness::Unaware;
    const auto start = text.find('>', old) + 1;
    const std::string value = text.substr(start, text.find('<', start) - start);
    if (value.find("pm") != std::string::npos || value.find("per monitor") != std::string::npos)
      return DpiAwareness::PerMonitor;
    return value.rfind("true", 0) == 0 ? DpiAwareness::System : DpiAwareness::Unaware;
  }();
  return declared;
}

void SetDpiAwareness(std::optional<DpiAwareness> awareness) { M().awareness = awareness; }

}  // namespace sim

namespace plat {

using sim::M;

bool GetCursorPos(Point* lpPoint) {
  sim::detail::Log("GetCursorPos()");
  if (sim::detail::Fault("GetCursorPos") || !lpPoint) return false;
  // The pointer on a virtualized monitor is read at its place there.
  const Point p = M().pointer;
  for (const sim::Monitor& m : M().list)
    if (sim::Inside(m.rect, p)) {
      const Rect seen = sim::Seen(m);
      const auto along = [](std::int32_t v, std::int32_t from, std::int32_t size, std::int32_t seenSize) {
        return from + static_cast<std::int32_t>(std::int64_t{v - from} * seenSize / size);
      };
      *lpPoint = {along(p.x, m.rect.left, m.rect.right - m.rect.left, seen.right - seen.left),
                  along(p.y, m.rect.top, m.rect.bottom - m.rect.top, seen.bottom - seen.top)};
      return true;
    }
  *lpPoint = p;
  return true;
}

Hmonitor MonitorFromPoint(Point pt, std::uint32_t dwFlags) {
  sim::detail::Log("MonitorFromPoint(" + std::to_string(pt.x) + "," + std::to_string(pt.y) + ")");
  const auto& list = M().list;
  std::size_t best = 0;
  std::int64_t bestDistance = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::int64_t d = sim::Distance(sim::Seen(list[i]), pt);
    if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
  }
  if (bestDistance != 0 && dwFlags != kMonitorDefaultToNearest) return Hmonitor{};
  return HandleOf<Hmonitor>(sim::kFirstMonitor + best);
}

bool GetMonitorInfoW(Hmonitor hMonitor, MonitorInfo* lpmi) {
  sim::detail::Log("GetMonitorInfoW()");
  const Handle h = RawHandle(hMonitor);
  if (!lpmi || lpmi->cbSize != sizeof(MonitorInfo) || h < sim::kFirstMonitor ||
      h - sim::kFirstMonitor >= M().list.size() || sim::detail::Fault("GetMonitorInfoW"))
    return false;
  const sim::Monitor& m = M().list[h - sim::kFirstMonitor];
  lpmi->rcMonitor = lpmi->rcWork = sim::Seen(m);
  lpmi->rcWork.bottom -= 40;  // the taskbar
  lpmi->dwFlags = &m == &sim::Primary() ? kMonitorInfoPrimary : 0;
  return true;
}

int GetSystemMetrics(int nIndex) {
  sim::detail::Log("GetSystemMetrics(" + std::to_string(nIndex) + ")");
  Rect all = sim::Seen(M().list.front());
  for (const sim::Monitor& m : M().list) {
    const Rect r = sim::Seen(m);
    all = {std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
           std::max(all.bottom, r.bottom)};
  }
  switch (nIndex) {
    case kSmXVirtualScreen: return all.left;
    case kSmYVirtualScreen: return all.top;
    case kSmCxVirtualScreen: return all.right - all.left;
    case kSmCyVirtualScreen: return all.bottom - all.top;
    default: return 0;
  }
}

}  // namespace plat
