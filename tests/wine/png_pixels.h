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

}  // namespace e2e
