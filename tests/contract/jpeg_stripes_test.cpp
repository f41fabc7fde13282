// Pictures encoded in stripes: the joined file decodes without a warning
// to exactly the pixels of the encode in one piece, its frame header holds
// the whole height, and its restart markers run RST0..RST7 round in order
// across the stripes. The same cases on both backends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/ijl.h"
#include "imaging/jpeg_encoder.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::TempDir;
using varnel::testing::DecodeJpeg;

// What a file's markers say: the frame header's height, the restart
// interval, and the numbers n of its RSTn markers in file order.
struct Markers {
  int height = -1;
  int restartInterval = 0;
  std::vector<int> restarts;
};

Markers Scan(const std::string& file) {
  Markers m;
  const auto* p = reinterpret_cast<const unsigned char*>(file.data());
  std::size_t at = 2;
  while (at + 4 <= file.size() && p[at] == 0xFF) {
    const int marker = p[at + 1];
    const std::size_t length = static_cast<std::size_t>(p[at + 2] << 8 | p[at + 3]);
    if (marker == 0xC0) m.height = p[at + 5] << 8 | p[at + 6];
    if (marker == 0xDD) m.restartInterval = p[at + 4] << 8 | p[at + 5];
    at += 2 + length;
    if (marker == 0xDA) break;
  }
  // In entropy-coded data a 0xFF byte is followed by 0 or by a marker.
  for (; at + 1 < file.size(); ++at)
    if (p[at] == 0xFF && p[at + 1] >= 0xD0 && p[at + 1] <= 0xD7) m.restarts.push_back(p[at + 1] - 0xD0);
  return m;
}

class JpegStripesTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  void TearDown() override { varnel::jpeg::SetStripeSettings(varnel::jpeg::DefaultStripeSettings()); }

  // The picture written through the library, cut into at most `stripes`
  // stripes whatever its size; the file's bytes.
  static std::string Write(const std::vector<std::uint8_t>& bits, int w, int h, varnel::IJL_JPGSUBSAMPLING sampling,
                           int stripes) {
    varnel::jpeg::SetStripeSettings({stripes, 0});
    const std::u16string path = TempDir() + u"\\stripes.jpg";
    varnel::JPEG_CORE_PROPERTIES props{};
    EXPECT_EQ(varnel::ijlInit(&props), varnel::IJL_OK);
    props.DIBBytes = bits.data();
    props.DIBWidth = w;
    props.DIBHeight = -h;
    props.DIBPadBytes = (4 - w * 3 % 4) % 4;
    props.JPGFile = path.c_str();
    props.JPGWidth = w;
    props.JPGHeight = h;
    props.JPGSubsampling = sampling;
    props.jquality = 90;
    EXPECT_EQ(varnel::ijlWrite(&props, varnel::IJL_JFILE_WRITEWHOLEIMAGE), varnel::IJL_OK);
    varnel::ijlFree(&props);
    return ReadFileBytes(path).value_or("");
  }
};

TEST_F(JpegStripesTest, DecodeToThePixelsOfTheEncodeInOnePiece) {
  struct Case {
    const char* what;
    int w, h, stripes;
    varnel::IJL_JPGSUBSAMPLING sampling;
    int markers;  // restart markers in the joined file
  };
  const Case cases[] = {
      {"odd size", 1001, 777, 4, varnel::IJL_NONE, 3},
      {"height not a multiple of 8", 640, 483, 3, varnel::IJL_NONE, 2},
      {"one row: a single stripe", 4000, 1, 2, varnel::IJL_NONE, 0},
      {"more stripes than MCU rows, markers past RST7", 200, 264, 12, varnel::IJL_NONE, 10},
      {"more MCUs than one restart interval holds", 8200, 1024, 2, varnel::IJL_NONE, 15},
      {"4:2:0, MCU rows of 16", 1000, 1000, 3, varnel::IJL_411, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int pitch = (c.w * 3 + 3) & ~3;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(c.h));
    std::uint32_t seed = 99;
    for (std::size_t i = 0; i < bits.size(); ++i) {
      seed = seed * 1103515245u + 12345u;
      bits[i] = static_cast<std::uint8_t>((i / 3 % 97) * 2 + (seed >> 27));  // gradients with grain
    }
    const std::string whole = Write(bits, c.w, c.h, c.sampling, 1);
    const std::string striped = Write(bits, c.w, c.h, c.sampling, c.stripes);
    const auto expected = DecodeJpeg(whole);
    const auto got = DecodeJpeg(striped);  // fails on any warning, a bad restart marker among them
    ASSERT_TRUE(expected && got);
    EXPECT_EQ(got->width, c.w);
    EXPECT_EQ(got->height, c.h);
    EXPECT_TRUE(got->bgr == expected->bgr);

    const Markers m = Scan(striped);
    EXPECT_EQ(m.height, c.h);
    EXPECT_EQ(m.restartInterval > 0, c.markers > 0);
    ASSERT_EQ(m.restarts.size(), static_cast<std::size_t>(c.markers));
    for (int i = 0; i < c.markers; ++i) EXPECT_EQ(m.restarts[static_cast<std::size_t>(i)], i % 8) << "marker " << i;
    EXPECT_TRUE(Scan(whole).restarts.empty());
  }
}

}  // namespace
