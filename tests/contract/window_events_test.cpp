// What Windows tells the program's window, the same on the simulated
// platform and on Wine: keyboard input of the session while the window is
// hidden, each change of the clipboard, timer ticks only while the timer is
// started, and the notification-area icon's reports by the program's own
// message, which a mouse moving over the window never imitates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/toolkit.h"
#include "tests/support/test_desktop.h"
#include "tests/support/test_support.h"

namespace {

TEST(WindowEventsTest, KeysClipboardTimerAndTrayReportsReachTheHiddenWindow) {
  plat::testing::BeginTest();
  plat::Form form(plat::FormDesign{u"Window events", 1500, 1500, {}});
  std::vector<std::string> heard;
  std::vector<std::uint32_t> times;
  int ticks = 0;
  form.OnRawKey = [&](const plat::RawKey& key) {
    if (key.vk != plat::kVkSnapshot) return;
    heard.emplace_back(key.down ? "down" : "up");
    times.push_back(key.time);
  };
  form.OnClipboardUpdate = [&](std::uint32_t time) {
    heard.emplace_back("clipboard");
    times.push_back(time);
  };
  form.OnTimer = [&] { ++ticks; };
  plat::Point anchor;
  form.SubscribeTray([&](std::uint32_t id, std::uint32_t message, plat::Point at) {
    heard.push_back("tray " + std::to_string(id) + " " + std::to_string(message));
    anchor = at;
  });
  form.Load();
  ASSERT_TRUE(form.WatchKeyboard());
  ASSERT_TRUE(form.WatchClipboard());
  EXPECT_FALSE(form.Visible());

  const std::uint32_t start = plat::GetTickCount();
  plat::testing::SendKey(plat::kVkSnapshot, true);
  plat::testing::SendKey(plat::kVkSnapshot, false);
  plat::testing::PumpMessages(300);
  EXPECT_EQ(heard, (std::vector<std::string>{"down", "up"}));

  varnel::cDIBSection picture;
  ASSERT_TRUE(picture.Create(8, 8));
  ASSERT_TRUE(picture.CopyToClipboard(false));
  plat::testing::PumpMessages(300);
  EXPECT_EQ(heard, (std::vector<std::string>{"down", "up", "clipboard"}));
  // Each report carries when it happened, in order, on the tick count's clock.
  for (std::size_t i = 0; i < times.size(); ++i) {
    EXPECT_LE(times[i] - start, plat::GetTickCount() - start) << i;
    if (i > 0) {
      EXPECT_LE(times[i - 1] - start, times[i] - start) << i;
    }
  }

  EXPECT_EQ(ticks, 0);  // no timer unless started
  form.StartTimer(20);
  plat::testing::PumpMessages(400);
  EXPECT_GE(ticks, 5);
  form.StopTimer();
  const int stopped = ticks;
  plat::testing::PumpMessages(200);
  EXPECT_EQ(ticks, stopped);

  heard.clear();
  plat::testing::PostMouseMove(form.hWnd(), 518, 0);
  plat::testing::PostTrayReport(form.hWnd(), 1, plat::kWmRButtonDblClk);
  plat::testing::PumpMessages(100);
  EXPECT_EQ(heard, std::vector<std::string>{"tray 1 518"});

  // Version 4's anchor, signed: a screen left of the main one has x < 0.
  heard.clear();
  plat::testing::PostTrayReport(form.hWnd(), 1, plat::kWmContextMenu, {-1200, 840});
  plat::testing::PumpMessages(100);
  EXPECT_EQ(heard, std::vector<std::string>{"tray 1 123"});
  EXPECT_EQ(anchor, (plat::Point{-1200, 840}));
}

// Print Screen arrives with the scan code the keyboard sent, which tells
// Alt+Print Screen (54, SysRq) from Print Screen (E0 37); a key a program
// sends without one arrives with 0.
TEST(WindowEventsTest, RawKeysCarryTheirScanCodes) {
  plat::testing::BeginTest();
  plat::Form form(plat::FormDesign{u"Window events", 1500, 1500, {}});
  std::vector<plat::RawKey> heard;
  form.OnRawKey = [&](const plat::RawKey& key) {
    if (key.vk == plat::kVkSnapshot) heard.push_back(key);
  };
  form.Load();
  ASSERT_TRUE(form.WatchKeyboard());
  const struct {
    std::uint16_t scan;
    bool e0;
  } sent[] = {{plat::kScanPrintScreen, true}, {plat::kScanSysRq, false}, {0, false}};
  for (const auto& key : sent) {
    plat::testing::SendKey(plat::kVkSnapshot, true, key.scan, key.e0);
    plat::testing::SendKey(plat::kVkSnapshot, false, key.scan, key.e0);
  }
  plat::testing::PumpMessages(300);
  ASSERT_EQ(heard.size(), 6u);
  for (std::size_t i = 0; i < heard.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& key = sent[i / 2];
    EXPECT_EQ(heard[i].down, i % 2 == 0);
    EXPECT_EQ(heard[i].makeCode, key.scan);
    EXPECT_EQ((heard[i].flags & plat::kRiKeyE0) != 0, key.e0);
    EXPECT_EQ((heard[i].flags & plat::kRiKeyBreak) != 0, i % 2 == 1);
  }
}

}  // namespace
