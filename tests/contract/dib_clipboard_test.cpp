// The image buffer's picture on the clipboard, on both backends.
#include <gtest/gtest.h>

#include <memory>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_desktop.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;

class DibClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    ASSERT_TRUE(plat::OpenClipboard({}));
    plat::EmptyClipboard();
    plat::CloseClipboard();
  }

  static bool HasBitmap() { return plat::IsClipboardFormatAvailable(plat::kCfBitmap); }

  // The clipboard's bitmap, copied into a new buffer.
  static std::unique_ptr<cDIBSection> ClipboardPicture() {
    if (!plat::OpenClipboard({})) return nullptr;
    auto out = std::make_unique<cDIBSection>();
    const auto bitmap = plat::HandleOf<plat::Hbitmap>(plat::GetClipboardData(plat::kCfBitmap));
    if (bitmap != plat::Hbitmap{})
      out->CreateFromPicture(
          std::make_shared<plat::Picture>(plat::RawHandle(bitmap), plat::Picture::Type::Bitmap, false));
    plat::CloseClipboard();
    return bitmap != plat::Hbitmap{} ? std::move(out) : nullptr;
  }
};

TEST_F(DibClipboardTest, AsBitmapPutsThePictureOnTheClipboard) {
  plat::testing::MessageBoxCatcher boxes;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(640, 480));
  Fill(dib, Pattern);
  EXPECT_TRUE(dib.CopyToClipboard(false));
  EXPECT_TRUE(boxes.Shown().empty());
  ASSERT_TRUE(HasBitmap());
  auto copy = ClipboardPicture();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Width(), 640);
  EXPECT_EQ(copy->Height(), 480);
  EXPECT_EQ(FirstDifference(*copy, Pattern), "");
  // The buffer is unchanged and can be copied again.
  EXPECT_EQ(FirstDifference(dib, Pattern), "");
  EXPECT_TRUE(dib.CopyToClipboard(false));
}

TEST_F(DibClipboardTest, ThePictureOutlivesTheBuffer) {
  {
    auto dib = std::make_shared<cDIBSection>();
    ASSERT_TRUE(dib->Create(33, 17));
    Fill(*dib, Pattern);
    ASSERT_TRUE(dib->CopyToClipboard(false));
  }
  auto copy = ClipboardPicture();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Width(), 33);
  EXPECT_EQ(copy->Height(), 17);
  EXPECT_EQ(FirstDifference(*copy, Pattern), "");
}

TEST_F(DibClipboardTest, TheDefaultFormOnlyShowsAMessage) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  plat::testing::MessageBoxCatcher boxes;
  EXPECT_FALSE(dib.CopyToClipboard());
  EXPECT_FALSE(dib.CopyToClipboard(true));
  const auto shown = boxes.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].prompt, u"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
  EXPECT_EQ(shown[0].title, plat::AppExeName());
  EXPECT_FALSE(HasBitmap());
}

TEST_F(DibClipboardTest, AClipboardHeldByAnotherProgramIsLeftAlone) {
  // Something of ours on the clipboard first, which must stay.
  cDIBSection first;
  ASSERT_TRUE(first.Create(2, 3));
  Fill(first, Pattern);
  ASSERT_TRUE(first.CopyToClipboard(false));

  cDIBSection dib;
  ASSERT_TRUE(dib.Create(16, 16));
  plat::testing::MessageBoxCatcher boxes;
  {
    plat::testing::ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    EXPECT_FALSE(dib.CopyToClipboard(false));
  }
  EXPECT_TRUE(boxes.Shown().empty());
  auto copy = ClipboardPicture();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Width(), 2);
  EXPECT_EQ(copy->Height(), 3);
  // The clipboard is not left open either.
  EXPECT_TRUE(plat::OpenClipboard({}));
  plat::CloseClipboard();
}

TEST_F(DibClipboardTest, ABufferWithoutPixelsPutsNothingThere) {
  cDIBSection first;
  ASSERT_TRUE(first.Create(2, 3));
  ASSERT_TRUE(first.CopyToClipboard(false));

  plat::testing::MessageBoxCatcher boxes;
  cDIBSection never;
  EXPECT_FALSE(never.CopyToClipboard(false));
  cDIBSection cleared;
  ASSERT_TRUE(cleared.Create(16, 16));
  cleared.ClearUp();
  EXPECT_FALSE(cleared.CopyToClipboard(false));
  EXPECT_TRUE(boxes.Shown().empty());
  auto copy = ClipboardPicture();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Width(), 2);
}

}  // namespace
