// The monitor a plain Print Screen is meant for. Windows puts a picture of
// the whole desktop, every monitor side by side, on the clipboard; with
// "Only the screen under the mouse pointer" the file holds the part of it
// that shows the monitor the pointer was on when the key went down, read
// in the monitors' true pixels.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/image_view.h"

namespace varnel {

struct ScreenCut {
  // The virtual screen's size at the press: a picture of any other size
  // is not the whole desktop of that moment (the layout changed, a remote
  // session's picture) and is kept whole.
  std::int32_t desktopWidth = 0, desktopHeight = 0;
  // The monitor's rectangle, from the virtual screen's top-left corner.
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ScreenCut&) const = default;
};

// The monitor under the pointer now (the nearest where the pointer is off
// every monitor) and the virtual screen around it; nullopt where Windows
// tells neither.
std::optional<ScreenCut> MonitorUnderPointer();

// What a capture's file is written from: the monitor's part of a picture
// of the whole desktop, else the picture itself. No pixel is copied.
ImageView Cut(const ImageView& picture, const std::optional<ScreenCut>& cut);

}  // namespace varnel
