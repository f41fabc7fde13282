// The clipboard as a capture reads it: the toolkit's picture, the reason
// when another program holds the clipboard, and the sequence number that
// tells a new picture from the old one. The same cases on both backends.
#include <gtest/gtest.h>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/error.h"
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

}  // namespace
