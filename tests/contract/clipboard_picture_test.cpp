// The clipboard as a capture reads it: the toolkit's picture, the reason
// when another program holds the clipboard, the sequence number that
// tells a new picture from the old one, and the two forms of a picture.
// The same cases on both backends.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/dib_section.h"
#include "imaging/packed_dib.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/gdi_handles.h"
#include "platform/picture.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_desktop.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::Fill;
using varnel::testing::Pattern;

class ClipboardPictureTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  // Another program's part: a new picture on the clipboard.
  static void PutPicture(std::int32_t width, std::int32_t height) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(width, height));
    Fill(dib, Pattern);
    ASSERT_TRUE(dib.CopyToClipboard(false));
  }
};

TEST_F(ClipboardPictureTest, SequenceNumberCountsChangesNotReads) {
  const std::uint32_t start = plat::GetClipboardSequenceNumber();
  PutPicture(4, 3);
  const std::uint32_t put = plat::GetClipboardSequenceNumber();
  EXPECT_NE(put, start);
  auto picture = plat::ClipboardPicture();
  ASSERT_TRUE(picture);
  EXPECT_EQ(plat::GetClipboardSequenceNumber(), put);  // reading changes nothing
  PutPicture(4, 3);
  EXPECT_NE(plat::GetClipboardSequenceNumber(), put);  // the same picture again is still a change
}

TEST_F(ClipboardPictureTest, ClipboardHeldElsewhereIsBusyWithItsReason) {
  PutPicture(5, 5);
  {
    plat::testing::ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    EXPECT_FALSE(plat::OpenClipboard({}));
    EXPECT_EQ(plat::GetLastError(), static_cast<std::uint32_t>(plat::kErrorAccessDenied));
    try {
      plat::ClipboardPicture();
      ADD_FAILURE() << "no error raised";
    } catch (const plat::Error& e) {
      EXPECT_EQ(e.number(), plat::kErrClipboardBusy);
      EXPECT_EQ(e.lastDllError(), static_cast<std::uint32_t>(plat::kErrorAccessDenied));
    }
  }
  auto picture = plat::ClipboardPicture();  // free again: the same picture is there
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->type(), plat::Picture::Type::Bitmap);
}

// A picture put in either form is offered in both, and both give the
// buffer the same pixels: Windows makes the other form from the one put.
TEST_F(ClipboardPictureTest, BitmapAndPackedFormsOfAPictureGiveTheSamePixels) {
  constexpr std::int32_t kWidth = 37, kHeight = 11;
  cDIBSection source;
  ASSERT_TRUE(source.Create(kWidth, kHeight));
  Fill(source, Pattern);
  for (const bool putPacked : {false, true}) {
    SCOPED_TRACE(putPacked ? "put as a packed picture" : "put as a bitmap");
    if (putPacked) {
      // A 24-bit packed picture: the header, then the buffer's own bytes.
      const auto pixels = static_cast<std::size_t>(source.BytesPerScanLine()) * kHeight;
      const plat::Hglobal block = plat::GlobalAlloc(plat::kGmemMoveable, sizeof(plat::BitmapInfoHeader) + pixels);
      {
        const plat::LockedGlobal locked = plat::LockGlobal(block);
        ASSERT_TRUE(locked);
        auto* bytes = static_cast<std::uint8_t*>(const_cast<void*>(locked.get().address));
        std::memcpy(bytes, &source.Header(), sizeof(plat::BitmapInfoHeader));
        std::memcpy(bytes + sizeof(plat::BitmapInfoHeader), source.DIBSectionBitsPtr(), pixels);
      }
      const plat::OpenedClipboard clipboard(plat::OpenClipboard({}));
      ASSERT_TRUE(clipboard);
      plat::EmptyClipboard();
      ASSERT_NE(plat::SetClipboardData(plat::kCfDib, plat::RawHandle(block)), 0u);
    } else {
      ASSERT_TRUE(source.CopyToClipboard(false));
    }
    EXPECT_TRUE(plat::IsClipboardFormatAvailable(plat::kCfBitmap));
    EXPECT_TRUE(plat::IsClipboardFormatAvailable(plat::kCfDib));

    cDIBSection fromBitmap, fromPacked;
    {
      const plat::OpenedClipboard clipboard(plat::OpenClipboard({}));
      ASSERT_TRUE(clipboard);
      EXPECT_EQ(fromBitmap.CreateFromBitmap(plat::HandleOf<plat::Hbitmap>(plat::GetClipboardData(plat::kCfBitmap))),
                cDIBSection::Fill::Done);
      const auto block = plat::HandleOf<plat::Hglobal>(plat::GetClipboardData(plat::kCfDib));
      const plat::LockedGlobal locked = plat::LockGlobal(block);
      ASSERT_TRUE(locked);
      const auto packed = varnel::ParsePackedDib(locked.get().address, plat::GlobalSize(block));
      ASSERT_TRUE(packed);
      EXPECT_EQ(packed->width, kWidth);
      EXPECT_EQ(packed->height, kHeight);
      EXPECT_EQ(fromPacked.CreateFromPackedDib(*packed), cDIBSection::Fill::Done);
    }
    EXPECT_EQ(varnel::testing::FirstDifference(fromBitmap, Pattern), "");
    EXPECT_EQ(varnel::testing::FirstDifference(fromPacked, Pattern), "");
  }
}

}  // namespace
