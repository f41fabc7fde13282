// Print Screen and the clipboard as Windows reports them: which picture is
// a press's, whatever order the two reports come in; no timer while idle;
// and what happens while a message is open or a file is being opened.
#include "imaging/jpeg_encoder.h"
#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

class CaptureEventTest : public CaptureTest {
 protected:
  static void Press() {
    sim::RawKey(0x2C, true);
    sim::Pump();
  }
  static void Release() {
    sim::RawKey(0x2C, false);
    sim::Pump();
  }
  // Windows 11's "Use the Print screen key to open screen capture":
  // nullopt where the user never touched it and the value does not exist.
  static void SetSnipping(std::optional<bool> on) {
    if (!on) return;
    sim::SetRawValue(plat::kHKeyCurrentUser, "Control Panel\\Keyboard", "PrintScreenKeyForSnippingEnabled",
                     {plat::kRegDword, {static_cast<std::uint8_t>(*on ? 1 : 0), 0, 0, 0}});
  }
  // A press, then the user's snip after `ms` (nullopt: cancelled).
  static void Snip(std::optional<std::uint32_t> ms) {
    PressAndRelease();
    if (!ms) return Wait(61000);
    Wait(*ms);
    PutPictureOnClipboard(8, 8);
    sim::Pump();
  }
};

// A picture counts when the clipboard changed after the press began: its
// report may come before the press's (posted messages are taken first) or
// after it, and Windows may be late with it. A picture copied earlier, a
// copy of text, or a clipboard manager putting a saved picture back is
// never a capture.
TEST_F(CaptureEventTest, OnlyAPicturePutForThePressIsSaved) {
  struct Row {
    const char* what;
    std::function<void()> steps;
    std::size_t files;
    bool explained;  // the one-time "no new picture" message
  } rows[] = {
      {"picture reported before the press",
       [] {
         PutPictureOnClipboard(8, 8);
         sim::RawKey(0x2C, true);
         sim::RawKey(0x2C, false);
         sim::Pump();
       },
       1, false},
      {"picture reported after the press",
       [] {
         Press();
         PutPictureOnClipboard(8, 8);
         sim::Pump();
         Release();
       },
       1, false},
      {"picture late, after the release",
       [] {
         Press();
         Release();
         Wait(600);
         PutPictureOnClipboard(8, 8);
         sim::Pump();
       },
       1, false},
      {"picture rendered on request, then a press with nothing new",
       [] {
         // Reading it renders it, which changes the sequence number again:
         // that is still the picture saved.
         sim::OtherProgramPutsDelayedPicture([] { return plat::RawHandle(ScreenBitmap(8, 8)); });
         PressAndRelease();
         Wait(200);
         PressAndRelease();
       },
       1, true},
      {"picture copied seconds before the press",
       [] {
         PutPictureOnClipboard(8, 8);
         Wait(3000);
         PressAndRelease();
         Wait(1100);
       },
       0, true},
      {"text copied after the press",
       [] {
         PutPictureOnClipboard(8, 8);
         Wait(3000);
         Press();
         PutTextOnClipboard();
         Release();
         Wait(1100);
       },
       0, true},
      {"clipboard manager puts the saved picture back",
       [] {
         PutPictureOnClipboard(8, 8);
         PressAndRelease();
         Wait(200);
         PutPictureOnClipboard(8, 8);  // the manager's copy, long before the next press
         Wait(3000);
         PressAndRelease();
         Wait(1100);
       },
       1, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG");
    row.steps();
    Wait(1100);
    EXPECT_EQ(ShotFiles().size(), row.files);
    EXPECT_EQ(sim::MessageBoxes().size(), row.explained ? 1u : 0u);
  }
}

// Idle, Varnel runs no timer at all; a pending capture runs one only until
// it ends.
TEST_F(CaptureEventTest, NoTimerRunsWhileNothingIsPending) {
  StartWith("JPG");
  EXPECT_TRUE(sim::WatchingKeyboard());
  EXPECT_TRUE(sim::WatchingClipboard());
  sim::Tick(10 * 60 * 1000 / static_cast<int>(sim::kTickMs));  // ten minutes
  EXPECT_EQ(sim::TimerTicks(), 0u);
  Press();
  Release();  // no picture yet: the wait runs on the timer
  EXPECT_NE(sim::TimerInterval(), 0u);
  Wait(300);
  PutPictureOnClipboard(8, 8);
  sim::Pump();
  EXPECT_EQ(ShotFiles().size(), 1u);
  // The capture's memory is kept for the next press of a burst, and given
  // back at one tick of the timer within 10 s; then no timer runs.
  EXPECT_GT(sim::LiveGdiObjects(), 0u);
  EXPECT_GT(jpeg::KeptBytes(), 0u);
  EXPECT_GT(sim::TimerInterval(), 0u);
  EXPECT_LE(sim::TimerInterval(), 10000u);
  const std::size_t lingering = sim::TimerTicks();
  Wait(10000);
  EXPECT_EQ(sim::TimerTicks(), lingering + 1);
  EXPECT_EQ(sim::TimerInterval(), 0u);
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
  EXPECT_EQ(jpeg::KeptBytes(), 0u);
  const std::size_t ticks = sim::TimerTicks();
  Wait(60000);
  EXPECT_EQ(sim::TimerTicks(), ticks);
  // The next press makes the buffer again while the key is down, ready for
  // its picture; it goes back as a capture's does, also when no picture came.
  Press();
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);
  Release();
  Wait(1100 + 10000);
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
  EXPECT_EQ(sim::TimerInterval(), 0u);
}

// A press while a message is open is captured then: saved, or its failure
// reported once the open message is closed. Messages never stack.
TEST_F(CaptureEventTest, APressWhileAMessageIsOpenIsNeverDropped) {
  StartWith("JPG");
  std::size_t openNow = 0, mostOpen = 0;
  bool pressed = false;
  sim::WhileMessageBoxOpen([&] {
    mostOpen = std::max(mostOpen, ++openNow);
    if (!std::exchange(pressed, true)) {
      // While the explanation is open: one press saves, one fails.
      PutPictureOnClipboard(8, 8);
      PressAndRelease();
      EXPECT_EQ(ShotFiles().size(), 1u);
      std::filesystem::remove_all(sim::HostPath("C:\\Shots"));
      PressAndRelease();
    }
    --openNow;
  });
  PressAndRelease();
  Wait(1100);  // no picture: the one-time explanation opens
  ASSERT_EQ(sim::MessageBoxes().size(), 2u);
  EXPECT_NE(sim::MessageBoxes()[0].prompt.find(u"no new picture"), std::u16string::npos);
  EXPECT_EQ(sim::MessageBoxes()[1].prompt, u"Capture folder does not exist.");
  EXPECT_EQ(mostOpen, 1u);
}

// Auto-open: the shell may start the viewer through a message loop of its
// own, in which Windows' reports and the timer keep coming. The capture is
// over by then: nothing is captured twice and nothing is explained.
TEST_F(CaptureEventTest, OpeningTheFileFindsTheCaptureOver) {
  StartWith("JPG", true);
  sim::WhileShellExecuting([] { Wait(2000); });
  PutPictureOnClipboard(8, 8);
  PressAndRelease();
  EXPECT_EQ(ShotFiles().size(), 1u);
  EXPECT_EQ(sim::ShellExecutions().size(), 1u);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// Windows 11 may give Print Screen to the Snipping Tool, which puts a
// picture on the clipboard only when the user finishes a snip. With the
// setting on, a press waits up to a minute for the snip, silently, and with
// no timer faster than once a second; Alt+Print Screen and the setting off
// keep the second's wait and its messages.
TEST_F(CaptureEventTest, WithTheSnippingToolASnipIsWaitedFor) {
  struct Row {
    const char* what;
    bool snipping;
    std::function<void()> steps;
    std::size_t files;
    std::size_t messages;
  } rows[] = {
      {"snip after 0.5 s", true, [] { Snip(500); }, 1, 0},
      {"snip after 5 s", true, [] { Snip(5000); }, 1, 0},
      {"snip after 59 s", true, [] { Snip(59000); }, 1, 0},
      {"snip after 61 s: the wait is over", true, [] { Snip(61000); }, 0, 0},
      {"snip cancelled", true, [] { Snip(std::nullopt); }, 0, 0},
      {"a second press while waiting: the snip is its own", true,
       [] {
         PressAndRelease();
         Wait(3000);
         Snip(2000);
       },
       1, 0},
      {"Alt+Print Screen copies at once", true,
       [] {
         sim::RawKey(0x12, true);
         PutPictureOnClipboard(8, 8);
         PressAndRelease();
         sim::RawKey(0x12, false);
       },
       1, 0},
      {"Alt+Print Screen without a picture is explained", true,
       [] {
         sim::RawKey(0x12, true);
         PressAndRelease();
         sim::RawKey(0x12, false);
         Wait(1100);
       },
       0, 1},
      {"setting off: a picture 5 s late is no capture", false, [] { Snip(5000); }, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    SetSnipping(row.snipping);
    StartWith("JPG");
    row.steps();
    Wait(1100);
    EXPECT_EQ(ShotFiles().size(), row.files);
    EXPECT_EQ(sim::MessageBoxes().size(), row.messages);
  }
}

// The first press that finds the setting on tells of it once, in a balloon
// that opens Settings' page when clicked; no message opens over the
// overlay, not even for a missing folder, which is said once the snip is in.
TEST_F(CaptureEventTest, TheSnippingToolIsExplainedOnceWithoutBlocking) {
  SetSnipping(true);
  StartWith("JPG", false, "C:\\Gone");
  PressAndRelease();
  EXPECT_GE(sim::TimerInterval(), 1000u);
  Wait(5000);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  PutPictureOnClipboard(8, 8);
  sim::Pump();
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].prompt, u"Capture folder does not exist.");
  for (int i = 0; i < 2; ++i) Snip(1000);
  std::size_t balloons = 0;
  for (const auto& call : sim::TrayCalls()) balloons += (call.record.uFlags & plat::kNifInfo) != 0;
  EXPECT_EQ(balloons, 1u);
  EXPECT_TRUE(sim::ShellExecutions().empty());
  sim::ShellTrayMessage(plat::kNinBalloonUserClick);
  ASSERT_EQ(sim::ShellExecutions().size(), 1u);
  EXPECT_EQ(sim::ShellExecutions()[0].file, "ms-settings:easeofaccess-keyboard");
  EXPECT_EQ(sim::ShellExecutions()[0].verb, "open");
}

// Whether a press waits for a snip, as each Windows reads the setting: the
// value where it exists, and where it does not, Windows 11's default of
// giving Print Screen to the Snipping Tool. Alt+Print Screen never waits:
// the key itself tells, not an Alt that Varnel once saw go down.
TEST_F(CaptureEventTest, ASnipIsWaitedForAsWindowsReadsTheSettingAndTheKey) {
  enum class Key { PrintScreen, AltPrintScreen, AfterAnUnheardAltRelease, SentByAProgram };
  struct Row {
    const char* windows;
    plat::OsVersionInfo version;
    std::optional<bool> value;
    Key key;
    bool waits;
  };
  std::vector<Row> rows;
  for (const auto& [name, version] :
       {std::pair{"Windows 10", sim::kWindows10}, std::pair{"Windows 11", sim::kWindows11}})
    for (const std::optional<bool> value :
         {std::optional<bool>{}, std::optional<bool>{false}, std::optional<bool>{true}})
      for (const Key key : {Key::PrintScreen, Key::AltPrintScreen}) {
        const bool on = value ? *value : version.dwBuildNumber >= 22000;
        rows.push_back({name, version, value, key, on && key == Key::PrintScreen});
      }
  // Alt let go on the secure desktop (Ctrl+Alt+Del) or over an elevated
  // window, where Varnel hears nothing of it; and a key an on-screen
  // keyboard or a remote client sends, which carries no scan code.
  rows.push_back({"Windows 11", sim::kWindows11, std::nullopt, Key::AfterAnUnheardAltRelease, true});
  rows.push_back({"Windows 11", sim::kWindows11, true, Key::SentByAProgram, true});
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.windows) + ", value " + (row.value ? (*row.value ? "1" : "0") : "missing") + ", key " +
                 std::to_string(static_cast<int>(row.key)));
    SetUp();
    sim::SetWindowsVersion(row.version);
    SetSnipping(row.value);
    StartWith("JPG");
    switch (row.key) {
      case Key::PrintScreen: PressAndRelease(); break;
      case Key::AltPrintScreen:
        sim::RawKey(plat::kVkMenu, true);
        PressAndRelease();
        sim::RawKey(plat::kVkMenu, false);
        break;
      case Key::AfterAnUnheardAltRelease:
        sim::RawKey(plat::kVkMenu, true);
        sim::KeyReleasedUnheard(plat::kVkMenu);
        PressAndRelease();
        break;
      case Key::SentByAProgram:
        sim::RawKey(plat::kVkMenu, true);
        sim::SentKey(plat::kVkSnapshot, true);
        sim::SentKey(plat::kVkSnapshot, false);
        sim::Tick();
        sim::RawKey(plat::kVkMenu, false);
        break;
    }
    // The snip comes after 3 s: saved only by a press that waits for it;
    // one that does not has said by then that no picture came.
    Wait(3000);
    PutPictureOnClipboard(8, 8);
    sim::Pump();
    Wait(1100);
    EXPECT_EQ(ShotFiles().size(), row.waits ? 1u : 0u);
    EXPECT_EQ(sim::MessageBoxes().size(), row.waits ? 0u : 1u);
  }
}

}  // namespace
}  // namespace varnel::testing
