// The calls the notification-area icon and its notice rely on, the same on
// the simulated platform and on Wine: sizes written as Windows writes them
// for the user, the double-click time, and a pop-up menu made, filled and
// destroyed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/api.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/test_support.h"

namespace {

TEST(TrayCallsTest, SizesAreWrittenAsWindowsWritesThem) {
  struct Row {
    std::int64_t bytes;
    const char* text;
  };
  // Three significant digits, cut rather than rounded, bytes up to 1023.
  const Row rows[] = {
      {0, "0 bytes"},       {1023, "1023 bytes"}, {1024, "1.00 KB"},     {1536, "1.50 KB"},
      {2047, "1.99 KB"},    {10239, "9.99 KB"},   {10240, "10.0 KB"},    {421888, "412 KB"},
      {1048575, "0.99 MB"}, {1048576, "1.00 MB"}, {15728640, "15.0 MB"}, {5000000000, "4.65 GB"},
  };
  plat::testing::BeginTest();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    char16_t text[64] = {};
    ASSERT_EQ(plat::StrFormatByteSizeW(row.bytes, text, 64), text);
    EXPECT_EQ(plat::ToUtf8(text), row.text);
  }
}

TEST(TrayCallsTest, TheDoubleClickTimeAndAMenu) {
  plat::testing::BeginTest();
  const std::uint32_t doubleClick = plat::GetDoubleClickTime();
  EXPECT_GE(doubleClick, 100u);
  EXPECT_LE(doubleClick, 5000u);

  plat::UniqueMenu menu(plat::CreatePopupMenu());
  ASSERT_TRUE(menu);
  EXPECT_TRUE(plat::AppendMenuW(menu.get(), plat::kMfString, 1, u"&Settings"));
  EXPECT_TRUE(plat::AppendMenuW(menu.get(), plat::kMfSeparator, 0, nullptr));
  EXPECT_TRUE(plat::AppendMenuW(menu.get(), plat::kMfString | plat::kMfGrayed, 2, u"E&xit"));
  EXPECT_TRUE(plat::SetMenuDefaultItem(menu.get(), 1, 0));
  const plat::Hmenu handle = menu.release();
  EXPECT_TRUE(plat::DestroyMenu(handle));
  EXPECT_FALSE(plat::DestroyMenu(handle));  // gone
}

}  // namespace
