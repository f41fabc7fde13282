// The notification-area icon as Varnel's user meets it: what each gesture
// and key on it does, its menu's items, the notice after a capture, the
// tip, and the icon at a start before the notification area is ready.
#include <set>

#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

class TrayMenuTest : public CaptureTest {
 protected:
  static constexpr char kShot[] = "2026-03-02-14-05-07.png";
  static constexpr char16_t kShotPath[] = u"C:\\Shots\\2026-03-02-14-05-07.png";

  Main& StartWithNotice(const std::string& notice) {
    WriteIni("[main]\r\npath=C:\\Shots\r\nformat=PNG\r\nopen=0\r\n" + notice);
    return Start();
  }
  // A right click on the icon, and the double-click time passing.
  static void RightClickAndWait() {
    sim::UserTrayGesture(sim::TrayGesture::RightClick);
    Wait(sim::kDoubleClickMs);
  }
  static void Choose(const char16_t* caption) { sim::QueueMenuAnswer({sim::MenuAnswer::Kind::Choose, caption}); }
  static void Capture() {
    PutPictureOnClipboard(64, 48);
    PressAndRelease();
  }
};

// What each gesture and key on the icon does: a single left click nothing,
// a left double-click or Enter the window, a right click the menu once the
// double-click time passed, a right double-click the end of Varnel with no
// menu ever, the menu key the menu at once (and, left with Escape, the
// focus back to the notification area).
TEST_F(TrayMenuTest, EachGestureOnTheIcon) {
  using G = sim::TrayGesture;
  struct Row {
    const char* what;
    G gesture;
    std::size_t menusAtOnce, menusLater;
    bool shown, ended;
    std::size_t focusReturns;
  };
  const Row rows[] = {
      {"left click", G::LeftClick, 0, 0, false, false, 0},
      {"left double-click", G::LeftDoubleClick, 0, 0, true, false, 0},
      {"Enter or Space", G::EnterKey, 0, 0, true, false, 0},
      {"right click", G::RightClick, 0, 1, false, false, 0},
      {"right double-click", G::RightDoubleClick, 0, 0, false, true, 0},
      {"Shift+F10 or the menu key", G::MenuKey, 1, 1, false, false, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG");
    sim::UserTrayGesture(row.gesture);
    EXPECT_EQ(sim::MenusShown().size(), row.menusAtOnce);
    Wait(sim::kDoubleClickMs - 2 * sim::kTickMs);
    EXPECT_EQ(sim::MenusShown().size(), row.menusAtOnce);
    Wait(4 * sim::kTickMs);
    EXPECT_EQ(sim::MenusShown().size(), row.menusLater);
    EXPECT_EQ(form().Visible(), row.shown);
    EXPECT_EQ(sim::WindowDestroyed(), row.ended);
    EXPECT_EQ(row.ended, Ini()->find("notice=0") != std::string::npos);  // written at the end
    EXPECT_EQ(sim::TrayFocusReturns(), row.focusReturns);
    EXPECT_EQ(sim::LiveMenus(), 0u);
  }
}

// The menu's items, each with an access key of its own, Settings the
// default; the two about the last capture greyed until a capture was saved.
TEST_F(TrayMenuTest, TheMenuGreysWhatNeedsACapture) {
  StartWith("PNG");
  for (const bool saved : {false, true}) {
    SCOPED_TRACE(saved ? "after a capture" : "before any capture");
    if (saved) Capture();
    RightClickAndWait();
    const sim::MenuShown& menu = sim::MenusShown().back();
    std::vector<std::u16string> captions;
    std::set<char16_t> keys;
    for (const auto& item : menu.items) {
      captions.push_back(item.caption);
      const std::size_t amp = item.caption.find(u'&');
      if (amp != std::u16string::npos) {
        EXPECT_TRUE(keys.insert(item.caption[amp + 1] | 0x20).second);
      }
    }
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"&Settings", u"&Open capture folder", u"Open &last capture",
                                                     u"&Copy path of last capture", u"", u"E&xit"}));
    EXPECT_EQ(menu.items[4].id, 0u);  // the separator
    EXPECT_EQ(menu.defaultId, menu.items[0].id);
    EXPECT_EQ(menu.items[2].grayed, !saved);
    EXPECT_EQ(menu.items[3].grayed, !saved);
    EXPECT_EQ(menu.at, (plat::Point{1200, 1000}));
    EXPECT_TRUE(menu.ownerInFront);
  }
}

// Each item does what it says. The folder is the one in force, not what
// the window's box holds unapplied; the path copied is text, which the
// next press never takes for a capture; Exit writes the settings as the
// right double-click does.
TEST_F(TrayMenuTest, EachItemDoesWhatItSays) {
  struct Row {
    const char16_t* item;
    std::function<void(Main&)> check;
  };
  const Row rows[] = {
      {u"&Settings", [](Main& m) { EXPECT_TRUE(m.Form().Visible()); }},
      {u"&Open capture folder",
       [](Main&) {
         ASSERT_EQ(sim::ShellExecutions().size(), 1u);
         EXPECT_EQ(sim::ShellExecutions()[0].verb, "explore");
         EXPECT_EQ(sim::ShellExecutions()[0].file, "C:\\Shots\\");
       }},
      {u"Open &last capture",
       [](Main&) {
         ASSERT_EQ(sim::ShellExecutions().size(), 1u);
         EXPECT_EQ(sim::ShellExecutions()[0].verb, "open");
         EXPECT_EQ(sim::ShellExecutions()[0].file, "C:\\Shots\\2026-03-02-14-05-07.PNG");
         EXPECT_GT(sim::ShellExecutions()[0].result, 32u);
       }},
      {u"&Copy path of last capture",
       [](Main&) {
         EXPECT_EQ(sim::ClipboardText(), std::u16string(kShotPath));
         EXPECT_FALSE(sim::ClipboardIsOpen());
         EXPECT_EQ(sim::LiveGlobals(), 0u);  // the clipboard owns the text
         sim::SetNow(plat::LocalTime{2026, 3, 2, 14, 6, 0});
         PressAndRelease();
         Wait(1100);
         EXPECT_EQ(ShotFiles(), std::vector<std::string>{kShot});
       }},
      {u"E&xit",
       [](Main&) {
         EXPECT_TRUE(sim::WindowDestroyed());
         EXPECT_FALSE(sim::TrayIconPresent());
         EXPECT_EQ(Ini(), "[main]\r\npath=C:\\Shots\r\nformat=PNG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(plat::ToUtf8(row.item));
    SetUp();
    StartWith("PNG");
    Capture();
    sim::UserType(u"SetFolder", u"C:\\Users");  // typed, not applied
    ASSERT_TRUE(sim::ShellExecutions().empty());
    Choose(row.item);
    RightClickAndWait();
    row.check(main());
  }
}

// The notice, read like `open`: missing or 0 is off, any other number on
// and written back as 1. On, each capture is told once its file is written:
// its name, its size in pixels and on disk, quietly.
TEST_F(TrayMenuTest, TheNoticeTellsEachCaptureWhenTurnedOn) {
  struct Row {
    const char* line;
    bool on;
    const char* written;
  };
  const Row rows[] = {
      {"", false, "notice=0"},
      {"notice=0\r\n", false, "notice=0"},
      {"notice=1\r\n", true, "notice=1"},
      {"notice=7\r\n", true, "notice=1"},
      {"notice=on\r\n", false, "notice=0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    SetUp();
    Main& m = StartWithNotice(row.line);
    EXPECT_EQ(m.SetNotice.Checked(), row.on);
    EXPECT_EQ(m.settings.Notice, row.on);
    Capture();
    ASSERT_EQ(ShotFiles(), std::vector<std::string>{kShot});
    ASSERT_EQ(sim::Balloons().size(), row.on ? 1u : 0u);
    if (row.on) {
      const sim::Balloon& notice = sim::Balloons()[0];
      EXPECT_EQ(notice.title, u"Capture saved");
      const std::u16string head = u"2026-03-02-14-05-07.png \u2014 64\u00d748, ";
      EXPECT_EQ(notice.text.substr(0, head.size()), head);
      char16_t size[32] = {};
      ASSERT_TRUE(plat::StrFormatByteSizeW(static_cast<std::int64_t>(Shot(kShot).size()), size, 32));
      EXPECT_EQ(notice.text.substr(head.size()), size);
      EXPECT_EQ(notice.flags, plat::kNiifInfo | plat::kNiifNoSound);
    }
    sim::CloseRequest();
    EXPECT_NE(Ini()->find(row.written), std::string::npos);
  }
}

// The check box: its own row under the auto-open one, next in the tab
// order, taken by OK and Apply like the others and kept at the end.
TEST_F(TrayMenuTest, TheNoticesBoxIsASettingLikeTheOthers) {
  Main& m = StartWithNotice("");
  const auto& design = [&](const char16_t* name) { return form()[name].design(); };
  EXPECT_EQ(design(u"SetNotice").tabIndex, design(u"SetAutoOpen").tabIndex + 1);
  EXPECT_EQ(design(u"SetNotice").left, design(u"SetAutoOpen").left);
  EXPECT_GE(design(u"SetNotice").top, design(u"SetAutoOpen").top + design(u"SetAutoOpen").height);
  EXPECT_LE(design(u"OKButton").top - design(u"SetNotice").top, design(u"OKButton").top - design(u"SetAutoOpen").top);
  sim::UserClick(u"SetNotice");
  EXPECT_TRUE(m.ApplyButton.Enabled());
  EXPECT_FALSE(m.settings.Notice);
  sim::UserClick(u"ApplyButton");
  EXPECT_TRUE(m.settings.Notice);
  Capture();
  EXPECT_EQ(sim::Balloons().size(), 1u);
  sim::UserTrayGesture(sim::TrayGesture::RightDoubleClick);
  EXPECT_NE(Ini()->find("notice=1"), std::string::npos);
}

// A click on a balloon belongs to the last one shown: the Windows 11 note
// opens its Settings page, a capture's notice its file. A notice the
// notification area does not take leaves the file saved and says nothing;
// a click then opens nothing.
TEST_F(TrayMenuTest, ABalloonsClickOpensWhatTheLastOneShownToldOf) {
  sim::SetRawValue(plat::kHKeyCurrentUser, "Control Panel\\Keyboard", "PrintScreenKeyForSnippingEnabled",
                   {plat::kRegDword, {1, 0, 0, 0}});
  StartWithNotice("notice=1\r\n");
  PressAndRelease();  // the snip is awaited: the note
  ASSERT_EQ(sim::Balloons().size(), 1u);
  sim::ShellTrayMessage(plat::kNinBalloonUserClick);
  ASSERT_EQ(sim::ShellExecutions().size(), 1u);
  EXPECT_EQ(sim::ShellExecutions()[0].file, "ms-settings:easeofaccess-keyboard");

  PutPictureOnClipboard(64, 48);  // the snip
  sim::Pump();
  ASSERT_EQ(sim::Balloons().size(), 2u);
  sim::ShellTrayMessage(plat::kNinBalloonUserClick);
  ASSERT_EQ(sim::ShellExecutions().size(), 2u);
  EXPECT_EQ(sim::ShellExecutions()[1].file, "C:\\Shots\\2026-03-02-14-05-07.PNG");
  EXPECT_EQ(sim::ShellExecutions()[1].verb, "open");

  // The notification area refuses the next notice.
  sim::SetRawValue(plat::kHKeyCurrentUser, "Control Panel\\Keyboard", "PrintScreenKeyForSnippingEnabled",
                   {plat::kRegDword, {0, 0, 0, 0}});
  sim::SetNow(plat::LocalTime{2026, 3, 2, 14, 6, 0});
  sim::InjectFault("Shell_NotifyIconW", 0);
  Capture();
  EXPECT_EQ(ShotFiles(), (std::vector<std::string>{kShot, "2026-03-02-14-06-00.png"}));
  EXPECT_EQ(sim::Balloons().size(), 2u);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// The tip names the folder's last part and the format in force: refreshed
// by OK and Apply, not by an edit left unapplied or cancelled.
TEST_F(TrayMenuTest, TheTipFollowsTheSettingsInForce) {
  struct Row {
    const char* what;
    std::function<void()> steps;
    const char16_t* tip;
  };
  const Row rows[] = {
      {"at start", [] {}, u"Varnel: Print Screen saves to Shots as PNG"},
      {"edited, not applied",
       [] {
         sim::UserClick(u"BMPOption");
         sim::UserType(u"SetFolder", u"C:\\Users\\ann\\Desktop\\");
       },
       u"Varnel: Print Screen saves to Shots as PNG"},
      {"applied",
       [] {
         sim::UserClick(u"BMPOption");
         sim::UserType(u"SetFolder", u"C:\\Users\\ann\\Desktop\\");
         sim::UserClick(u"ApplyButton");
       },
       u"Varnel: Print Screen saves to Desktop as BMP"},
      {"OK, the drive's root",
       [] {
         sim::UserType(u"SetFolder", u"D:\\");
         sim::PressEnter();
       },
       u"Varnel: Print Screen saves to D: as PNG"},
      {"cancelled",
       [] {
         sim::UserClick(u"JPGOption");
         sim::PressEscape();
       },
       u"Varnel: Print Screen saves to Shots as PNG"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("PNG");
    sim::UserTrayGesture(sim::TrayGesture::EnterKey);
    row.steps();
    EXPECT_EQ(sim::TrayTipShown(), row.tip);
  }
}

// Started at sign-in before the notification area was ready: the icon
// comes once it is, with its version, and still ends Varnel.
TEST_F(TrayMenuTest, TheIconComesOnceTheNotificationAreaIsReady) {
  sim::InjectFault("Shell_NotifyIconW", 0, 3);
  StartWith("JPG");
  EXPECT_FALSE(sim::TrayIconPresent());
  Wait(4100);
  EXPECT_TRUE(sim::TrayIconPresent());
  EXPECT_EQ(sim::TrayIconVersion(), 4u);
  sim::ExplorerRestarts();
  EXPECT_EQ(sim::TrayIconVersion(), 4u);
  sim::UserTrayGesture(sim::TrayGesture::RightDoubleClick);
  EXPECT_TRUE(sim::WindowDestroyed());
}

}  // namespace
}  // namespace varnel::testing
