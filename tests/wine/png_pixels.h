// A PNG file Varnel wrote, read on the Linux side under Wine.
#pragma once

#include <optional>
#include <string>

#include "tests/support/test_support.h"
#include "tests/support/win32/driver.h"

namespace e2e {

// The file's pixels as Pillow reads them, 3 bytes a pixel (red, green,
// blue), rows top-down, once pngcheck passed the file (chunk CRCs, the
// zlib stream); nullopt when either fails or there is no Linux side.
inline std::optional<std::string> PngPixels(const std::wstring& file) {
  const std::string host = plat::testing::HostPath(reinterpret_cast<const char16_t*>(file.c_str()));
  if (host.empty() || plat::testing::RunHostProgram("/usr/bin/pngcheck", {"-q", host}) != 0) return std::nullopt;
  if (plat::testing::RunHostProgram("/usr/bin/python3",
                                    {"-c",
                                     "import sys; from PIL import Image; open(sys.argv[2], "
                                     "'wb').write(Image.open(sys.argv[1]).convert('RGB').tobytes())",
                                     host, host + ".rgb"}) != 0)
    return std::nullopt;
  auto rgb = ReadFile(file + L".rgb");
  DeleteFileW((file + L".rgb").c_str());
  return rgb;
}

// Pixels of a PNG file that differ from the paint; all of them when the
// file is not one of the size, or fails to read.
inline int WrongPngPixels(const std::wstring& file, int width, int height, const Paint& paint) {
  const std::string rgb = PngPixels(file).value_or("");
  if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) return width * height;
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto* px =
          reinterpret_cast<const std::uint8_t*>(rgb.data()) +
          (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
      if ((px[0] << 16 | px[1] << 8 | px[2]) != static_cast<int>(paint(x, y))) ++wrong;
    }
  return wrong;
}

}  // namespace e2e
