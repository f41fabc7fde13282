// The JPEG file writer on both backends: what the file holds, replacing a
// file with its times and attributes kept, and the raised failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/app_env.h"
#include "platform/error.h"
#include "imaging/ijl.h"
#include "tests/contract/file_helpers.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::TempDir;
using plat::testing::UnderWine;
using plat::testing::WriteFileBytes;
using varnel::cDIBSection;
using varnel::mIntelJPEGLibrary::SaveDibAsJpeg;
using namespace varnel::testing;

// Fills the buffer with a photo-like picture (colour gradients with grain)
// crossed by a dark bar with sharp edges, and returns it top row first,
// without padding.
std::vector<std::uint8_t> Paint(cDIBSection& dib) {
  const int w = dib.Width(), h = dib.Height(), stride = dib.BytesPerScanLine();
  std::vector<std::uint8_t> picture;
  std::uint32_t seed = 12345;
  auto grain = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % 13) - 6;
  };
  auto clamp = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = dib.DIBSectionBitsPtr() + static_cast<std::ptrdiff_t>(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      const bool bar = y > h / 3 && y < h / 2 && x > w / 4;
      const int g = grain();
      const std::uint8_t bgr[3] = {clamp(bar ? 30 : 40 + 160.0 * x / w + g), clamp(bar ? 20 : 200 - 150.0 * y / h + g),
                                   clamp(bar ? 60 : 128 + 100 * std::sin(0.05 * (x + y)) + g)};
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = bgr[c];
      picture.insert(picture.end(), bgr, bgr + 3);
    }
  }
  return picture;
}

class JpegWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    path_ = TempDir() + u"\\2024-05-06-07-08-09.jpg";
  }
  // Runs the writer and returns the error it raised (number 0 if none).
  plat::Error Save(cDIBSection& dib, std::int32_t quality = 90) {
    try {
      EXPECT_TRUE(SaveDibAsJpeg(dib, path_, quality));
    } catch (const plat::Error& e) {
      return e;
    }
    return plat::Error(0, {}, {});
  }
  static std::u16string Source() { return plat::AppExeName() + u".mIntelJPEGLibrary"; }
  std::u16string path_;
};

TEST_F(JpegWriterTest, FileDecodesToTheBuffersPicture) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(301, 203));  // 903 bytes of pixels a line, 1 of padding
  const auto picture = Paint(dib);
  ASSERT_EQ(Save(dib).number(), 0);
  auto jpeg = DecodeJpeg(ReadFileBytes(path_).value_or(""));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, 301);
  EXPECT_EQ(jpeg->height, 203);
  EXPECT_EQ(jpeg->subsampling, TJSAMP_444);
  const double psnr = Psnr(jpeg->bgr, picture);
  std::printf("PSNR at quality 90: %.2f dB\n", psnr);
  EXPECT_GT(psnr, 37.0);  // a lossy but faithful copy

  // The quality is the one asked for: a lower one loses more.
  ASSERT_EQ(Save(dib, 20).number(), 0);
  auto rough = DecodeJpeg(ReadFileBytes(path_).value_or(""));
  ASSERT_TRUE(rough);
  EXPECT_LT(Psnr(rough->bgr, picture), psnr - 3);
}

TEST_F(JpegWriterTest, ReplacedFileHandsOnItsTimesAndAttributes) {
  WriteFileBytes(path_, "an older capture");
  const std::uint32_t attributes =
      plat::kFileAttributeHidden | plat::kFileAttributeSystem | plat::kFileAttributeArchive;
  ASSERT_TRUE(Stamp(path_, kCreated, kAccessed, kWritten));
  ASSERT_TRUE(SetAttributes(path_, attributes));
  const plat::FileTime oldCreation = Lookup(path_)->ftCreationTime;  // Wine: the last-write time

  cDIBSection dib;
  ASSERT_TRUE(dib.Create(40, 30));
  Paint(dib);
  ASSERT_EQ(Save(dib).number(), 0);

  auto d = Lookup(path_);  // before reading the file, which may touch its access time
  ASSERT_TRUE(d);
  EXPECT_EQ(d->ftCreationTime, oldCreation);
  if (!UnderWine()) {
    EXPECT_EQ(d->ftCreationTime, kCreated);
  }
  EXPECT_EQ(d->ftLastAccessTime, kAccessed);
  EXPECT_EQ(d->ftLastWriteTime, kWritten);
  EXPECT_EQ(d->dwFileAttributes, attributes);
  EXPECT_TRUE(DecodeJpeg(ReadFileBytes(path_).value_or("")));
  SetAttributes(path_, plat::kFileAttributeNormal);
}

TEST_F(JpegWriterTest, NewFileHasThePlatformsOwnTimesAndAttributes) {
  WriteFileBytes(TempDir() + u"\\probe", "");
  const plat::FileTime before = Lookup(TempDir() + u"\\probe")->ftLastWriteTime;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  ASSERT_EQ(Save(dib).number(), 0);
  auto d = Lookup(path_);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->dwFileAttributes, plat::kFileAttributeArchive);
  auto ticks = [](const plat::FileTime& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  const std::uint64_t slack = 50000000;  // 5 seconds
  EXPECT_GE(ticks(d->ftCreationTime) + slack, ticks(before));
  EXPECT_GE(ticks(d->ftLastWriteTime) + slack, ticks(before));
  EXPECT_LT(ticks(d->ftLastWriteTime), ticks(before) + slack);
}

TEST_F(JpegWriterTest, ReadOnlyFileIsNotReplaced) {
  WriteFileBytes(path_, "keep me");
  ASSERT_TRUE(SetAttributes(path_, plat::kFileAttributeReadOnly));
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  const plat::Error e = Save(dib);
  EXPECT_EQ(e.number(), plat::kErrFileAccess);  // the deletion's own error
  SetAttributes(path_, plat::kFileAttributeNormal);
  EXPECT_EQ(ReadFileBytes(path_), "keep me");
}

TEST_F(JpegWriterTest, BufferNeverCreatedFailsAfterTheOldFileIsDeleted) {
  WriteFileBytes(path_, "an older capture");
  cDIBSection never;
  const plat::Error e = Save(never);
  EXPECT_EQ(e.number(), 26001);
  EXPECT_EQ(e.description(), u"Failed to save to JPG -8");  // IJL_INVALID_JPEG_PROPERTIES
  EXPECT_EQ(e.source(), Source());
  EXPECT_FALSE(ReadFileBytes(path_));
}

TEST_F(JpegWriterTest, NameOutsideTheCodePageIsWrittenUnderThatName) {
  path_ = TempDir() + u"\\\u65E5\u672C \u0421\u043d\u0438\u043c\u043e\u043a.jpg";
  const std::u16string other = TempDir() + u"\\ab.jpg";  // what "??.jpg" would have matched
  WriteFileBytes(other, "another capture");
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  ASSERT_TRUE(varnel::mIntelJPEGLibrary::SaveDibAsJpeg(dib, path_, 90));
  auto jpeg = ReadFileBytes(path_);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(ReadFileBytes(other), "another capture");
}

}  // namespace
