// Test helpers for JPEG output: decoding a file with libjpeg-turbo and
// comparing pictures by their peak signal-to-noise ratio.
#pragma once

#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel::testing {

struct DecodedJpeg {
  int width = 0, height = 0;
  int subsampling = -1;           // TJSAMP_*
  std::vector<std::uint8_t> bgr;  // rows top-down, 3 bytes a pixel, no padding

  const std::uint8_t* At(int x, int y) const {
    return &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
  }
};

inline std::optional<DecodedJpeg> DecodeJpeg(const std::string& file) {
  tjhandle tj = tjInitDecompress();
  if (!tj) return std::nullopt;
  DecodedJpeg out;
  int colorspace = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(file.data());
  bool ok = tjDecompressHeader3(tj, data, static_cast<unsigned long>(file.size()), &out.width, &out.height,
                                &out.subsampling, &colorspace) == 0;
  if (ok) {
    out.bgr.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3);
    ok = tjDecompress2(tj, data, static_cast<unsigned long>(file.size()), out.bgr.data(), out.width, 0, out.height,
                       TJPF_BGR, TJFLAG_ACCURATEDCT) == 0;
  }
  tjDestroy(tj);
  if (!ok) return std::nullopt;
  return out;
}

// Peak signal-to-noise ratio of two pictures of the same size, in dB.
inline double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - static_cast<double>(b[i]);
    sum += d * d;
  }
  if (sum == 0) return INFINITY;
  return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

}  // namespace varnel::testing
