// The JPEG library of the platform layer: what ijlWrite puts in the file,
// and the failures it reports instead of writing. The same cases on the
// simulated platform and on Wine.
#include <gtest/gtest.h>

#include <vector>

#include "platform/api.h"
#include "imaging/ijl.h"
#include "platform/text.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::TempDir;
using plat::testing::WriteFileBytes;
using varnel::testing::DecodeJpeg;

constexpr int kWidth = 17, kHeight = 16, kPad = 1;  // 17 x 3 = 51 bytes a row, padded to 52

// A 24-bit picture, red in its top half and blue in its bottom half, stored
// bottom-up with the padding bytes set to a value no pixel has.
std::vector<std::uint8_t> RedOverBlue() {
  const int pitch = kWidth * 3 + kPad;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(pitch * kHeight), 0x5A);
  for (int row = 0; row < kHeight; ++row) {
    const bool bottomHalf = row < kHeight / 2;  // the first rows in memory are the bottom ones
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p =
          &bits[static_cast<std::size_t>(row) * static_cast<std::size_t>(pitch) + static_cast<std::size_t>(x) * 3];
      p[0] = bottomHalf ? 255 : 0;  // blue
      p[1] = 0;
      p[2] = bottomHalf ? 0 : 255;  // red
    }
  }
  return bits;
}

class JpegLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    path_ = TempDir() + u"\\out.jpg";
    bits_ = RedOverBlue();
    ASSERT_EQ(varnel::ijlInit(&props_), varnel::IJL_OK);
    props_.DIBBytes = bits_.data();
    props_.DIBWidth = kWidth;
    props_.DIBHeight = -kHeight;
    props_.DIBPadBytes = kPad;
    props_.JPGFile = path_.c_str();
    props_.JPGWidth = kWidth;
    props_.JPGHeight = kHeight;
    props_.jquality = 90;
  }
  void TearDown() override { varnel::ijlFree(&props_); }
  varnel::IJLERR Write() { return varnel::ijlWrite(&props_, varnel::IJL_JFILE_WRITEWHOLEIMAGE); }

  std::u16string path_;
  std::vector<std::uint8_t> bits_;
  varnel::JPEG_CORE_PROPERTIES props_{};
};

TEST_F(JpegLibraryTest, WritesABottomUpPaddedBufferAsAFullChromaJpeg) {
  WriteFileBytes(path_, std::string(100000, 'x'));  // replaced whole
  ASSERT_EQ(Write(), varnel::IJL_OK);
  auto file = ReadFileBytes(path_);
  ASSERT_TRUE(file);
  ASSERT_GE(file->size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>((*file)[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>((*file)[1]), 0xD8);
  EXPECT_EQ(static_cast<unsigned char>(file->back()), 0xD9);
  auto jpeg = DecodeJpeg(*file);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, kWidth);
  EXPECT_EQ(jpeg->height, kHeight);
  EXPECT_EQ(jpeg->subsampling, TJSAMP_444);
  // Red on top, blue below, in every column: the padding was skipped.
  for (int x : {0, kWidth / 2, kWidth - 1}) {
    EXPECT_GT(jpeg->At(x, 0)[2], 240) << x;
    EXPECT_LT(jpeg->At(x, 0)[0], 15) << x;
    EXPECT_GT(jpeg->At(x, kHeight - 1)[0], 240) << x;
    EXPECT_LT(jpeg->At(x, kHeight - 1)[2], 15) << x;
  }
}

TEST_F(JpegLibraryTest, PositiveHeightIsATopDownBuffer) {
  props_.DIBHeight = kHeight;
  ASSERT_EQ(Write(), varnel::IJL_OK);
  auto jpeg = DecodeJpeg(ReadFileBytes(path_).value_or(""));
  ASSERT_TRUE(jpeg);
  EXPECT_GT(jpeg->At(0, 0)[0], 240);            // blue on top now
  EXPECT_GT(jpeg->At(0, kHeight - 1)[2], 240);  // red below
}

TEST_F(JpegLibraryTest, InvalidDescriptionsFailWithoutAFile) {
  const varnel::JPEG_CORE_PROPERTIES good = props_;
  const std::vector<std::pair<const char*, void (*)(varnel::JPEG_CORE_PROPERTIES&)>> cases = {
      {"width 0",
       [](auto& p) {
         p.DIBWidth = 0;
         p.JPGWidth = 0;
       }},
      {"height 0",
       [](auto& p) {
         p.DIBHeight = 0;
         p.JPGHeight = 0;
       }},
      {"negative width",
       [](auto& p) {
         p.DIBWidth = -4;
         p.JPGWidth = -4;
       }},
      {"no pixels", [](auto& p) { p.DIBBytes = nullptr; }},
      {"negative padding", [](auto& p) { p.DIBPadBytes = -1; }},
      {"row too long", [](auto& p) { p.DIBPadBytes = 0x7FFFFFF0; }},
      {"scaled width", [](auto& p) { p.JPGWidth = kWidth / 2; }},
      {"scaled height", [](auto& p) { p.JPGHeight = kHeight + 1; }},
      {"quality 0", [](auto& p) { p.jquality = 0; }},
      {"quality 101", [](auto& p) { p.jquality = 101; }},
      {"4 channels", [](auto& p) { p.DIBChannels = 4; }},
      {"grey JPEG",
       [](auto& p) {
         p.JPGChannels = 1;
         p.JPGColor = varnel::IJL_G;
       }},
      {"no file name", [](auto& p) { p.JPGFile = nullptr; }},
      {"empty file name", [](auto& p) { p.JPGFile = u""; }},
  };
  for (const auto& [what, spoil] : cases) {
    props_ = good;
    spoil(props_);
    EXPECT_NE(Write(), varnel::IJL_OK) << what;
    EXPECT_FALSE(ReadFileBytes(path_)) << what;
  }
  props_ = good;
  EXPECT_NE(varnel::ijlWrite(&props_, static_cast<varnel::IJLIOTYPE>(7)), varnel::IJL_OK);
  EXPECT_FALSE(ReadFileBytes(path_));
  EXPECT_NE(varnel::ijlWrite(nullptr, varnel::IJL_JFILE_WRITEWHOLEIMAGE), varnel::IJL_OK);
  EXPECT_NE(varnel::ijlInit(nullptr), varnel::IJL_OK);

  varnel::JPEG_CORE_PROPERTIES neverInitialised{};
  neverInitialised.JPGFile = path_.c_str();
  EXPECT_NE(varnel::ijlWrite(&neverInitialised, varnel::IJL_JFILE_WRITEWHOLEIMAGE), varnel::IJL_OK);
  EXPECT_FALSE(ReadFileBytes(path_));
}

TEST_F(JpegLibraryTest, FileThatCannotBeCreatedIsReportedWithItsReasonAndNothingIsLeft) {
  const std::u16string missingFolder = TempDir() + u"\\absent\\out.jpg";
  props_.JPGFile = missingFolder.c_str();
  EXPECT_EQ(Write(), varnel::IJL_FILE_ERROR);
  EXPECT_EQ(plat::GetLastError(), 3u);  // ERROR_PATH_NOT_FOUND
  EXPECT_FALSE(ReadFileBytes(missingFolder));

  const std::u16string wildcard = TempDir() + u"\\?.jpg";
  props_.JPGFile = wildcard.c_str();
  EXPECT_EQ(Write(), varnel::IJL_INVALID_FILENAME);

  const std::u16string folder = TempDir();
  props_.JPGFile = folder.c_str();
  EXPECT_NE(Write(), varnel::IJL_OK);
}

}  // namespace
