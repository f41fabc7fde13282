#include "app/screen_cut.h"

#include <algorithm>

#include "platform/api.h"

namespace varnel {

std::optional<ScreenCut> MonitorUnderPointer() {
  plat::Point pointer;
  if (!plat::GetCursorPos(&pointer)) return std::nullopt;
  plat::MonitorInfo info{};
  info.cbSize = sizeof info;
  if (!plat::GetMonitorInfoW(plat::MonitorFromPoint(pointer, plat::kMonitorDefaultToNearest), &info))
    return std::nullopt;
  const std::int32_t x = plat::GetSystemMetrics(plat::kSmXVirtualScreen);
  const std::int32_t y = plat::GetSystemMetrics(plat::kSmYVirtualScreen);
  const std::int32_t cx = plat::GetSystemMetrics(plat::kSmCxVirtualScreen);
  const std::int32_t cy = plat::GetSystemMetrics(plat::kSmCyVirtualScreen);
  // The monitor within the virtual screen, as the picture holds it; a
  // monitor reaching out of it (the layout changing under the calls) is
  // cut to what the picture shows.
  const plat::Rect& m = info.rcMonitor;
  const std::int64_t left = std::max<std::int64_t>(m.left, x), top = std::max<std::int64_t>(m.top, y);
  const std::int64_t right = std::min<std::int64_t>(m.right, std::int64_t{x} + cx);
  const std::int64_t bottom = std::min<std::int64_t>(m.bottom, std::int64_t{y} + cy);
  if (cx <= 0 || cy <= 0 || right <= left || bottom <= top) return std::nullopt;
  return ScreenCut{cx,
                   cy,
                   static_cast<std::int32_t>(left - x),
                   static_cast<std::int32_t>(top - y),
                   static_cast<std::int32_t>(right - left),
                   static_cast<std::int32_t>(bottom - top)};
}

ImageView Cut(const ImageView& picture, const std::optional<ScreenCut>& cut) {
  if (!cut || picture.width != cut->desktopWidth || picture.height != cut->desktopHeight) return picture;
  return picture.Part(cut->left, cut->top, cut->width, cut->height);
}

}  // namespace varnel
