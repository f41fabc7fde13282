// The PNG encoder over a table of picture sizes and ways of cutting them
// into pieces: every file passes pngcheck (chunk CRCs, the zlib stream and
// its Adler-32) and decodes with Pillow to exactly the picture's pixels,
// and every filter kernel the processor runs gives the same bytes. The
// checkers are the Linux machine's own programs; under Wine they run on its
// Unix side.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/png_encoder.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::HostPath;
using plat::testing::RunHostProgram;
using plat::testing::TempDir;

constexpr char kDecode[] =
    "import sys; from PIL import Image; im = Image.open(sys.argv[1]); im.load(); "
    "assert im.mode == 'RGB' and im.size == (int(sys.argv[3]), int(sys.argv[4])), (im.mode, im.size); "
    "open(sys.argv[2], 'wb').write(im.tobytes())";

// A DIB whose top half is like a screen (a flat background with sparse
// marks) and whose bottom half takes turns at noise, ramps and flat runs,
// so that each filter wins somewhere and pieces of both kinds are
// compressed (noisy ones at a higher level); the padding after each row is
// not white.
std::vector<std::uint8_t> Picture(int w, int h, int stride) {
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h), 0xEE);
  std::uint32_t seed = 7;
  for (int y = 0; y < h; ++y)  // rows in memory order, the bottom one first
    for (int i = 0; i < 3 * w; ++i) {
      seed = seed * 1103515245u + 12345u;
      const int x = i / 3;
      const auto value = y >= h / 2   ? ((x * 7 + y * 3) % 61 < 4 ? 0x20u + static_cast<std::uint32_t>(i % 3) : 0xF0u)
                         : y % 5 == 0 ? seed >> 24
                         : y % 5 == 1 ? static_cast<std::uint32_t>(x * 3 + y + i % 3 * 40)
                         : y % 5 == 2 ? static_cast<std::uint32_t>(x / 16 * 50 + y / 7)
                                      : static_cast<std::uint32_t>(x * y / 3) + (seed >> 30);
      bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(value);
    }
  return bits;
}

// The pixels as a decoder gives them: rows top-down, red, green, blue.
std::string Rgb(const varnel::ImageView& image) {
  std::string out;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      for (int c = 2; c >= 0; --c) out += static_cast<char>(image.Row(y)[3 * x + c]);
  return out;
}

TEST(PngEncoderTest, FilesDecodeToThePicture) {
  plat::testing::BeginTest();
  const std::string host = HostPath(TempDir());
  if (host.empty()) GTEST_SKIP() << "no Linux machine to run pngcheck and Pillow on";
  const std::int64_t kDefaultMin = varnel::DefaultPngSettings().minPixels;
  struct Case {
    const char* what;
    int w, h, pieces;
    std::int64_t minPixels;
  };
  const Case cases[] = {
      {"one pixel", 1, 1, 1, kDefaultMin},
      {"odd widths: width 1", 1, 33, 1, kDefaultMin},
      {"width 2", 2, 9, 1, kDefaultMin},
      {"width 3", 3, 5, 1, kDefaultMin},
      {"width 5", 5, 17, 1, kDefaultMin},
      {"width 7", 7, 3, 1, kDefaultMin},
      {"one row", 1001, 1, 4, 0},
      {"more pieces than rows, each passed through uncompressed", 3, 5, 8, 0},
      {"more pieces than rows, each compressed", 61, 40, 64, 0},
      {"1 Mpx, cut into pieces", 1283, 811, 3, kDefaultMin},
      {"over 65535 rows, cut into pieces", 1, 70000, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int stride = (3 * c.w + 3) & ~3;
    const std::vector<std::uint8_t> bits = Picture(c.w, c.h, stride);
    const varnel::ImageView image{bits.data(), c.w, c.h, stride};

    std::vector<std::uint8_t> file;
    for (varnel::png::Kernel kernel : varnel::png::kKernels) {
      if (!varnel::png::Supported(kernel)) continue;
      const auto bytes = varnel::EncodePng(image, {c.pieces, c.minPixels, kernel});
      if (file.empty()) file = bytes;
      EXPECT_TRUE(bytes == file) << varnel::png::Name(kernel) << " kernel";
    }
    plat::testing::WriteFileBytes(TempDir() + u"\\picture.png", std::string(file.begin(), file.end()));
    EXPECT_EQ(RunHostProgram("/usr/bin/pngcheck", {"-q", host + "/picture.png"}), 0);
    ASSERT_EQ(RunHostProgram("/usr/bin/python3", {"-c", kDecode, host + "/picture.png", host + "/picture.rgb",
                                                  std::to_string(c.w), std::to_string(c.h)}),
              0);
    const auto decoded = plat::testing::ReadFileBytes(TempDir() + u"\\picture.rgb");
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(*decoded == Rgb(image)) << "the decoded pixels differ";
  }
}

// Refused before a byte is read: no pixels, a stride shorter than a row,
// rows too long for the filters' 32-bit offsets.
TEST(PngEncoderTest, RefusesWhatIsNoPicture) {
  const std::uint8_t byte = 0;
  for (const varnel::ImageView& bad : {varnel::ImageView{&byte, 0, 1, 4}, varnel::ImageView{&byte, 2, 1, 5},
                                       varnel::ImageView{&byte, 715'827'862, 1, INT32_MAX}})
    EXPECT_THROW(varnel::EncodePng(bad), std::invalid_argument) << bad.width << " x " << bad.height;
}

}  // namespace
