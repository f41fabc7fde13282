// What a press of Print Screen gives when something is in the way: the
// right file, or one message that says which file was not saved and why.
#include <gtest/gtest.h>

#include "imaging/ijl.h"
#include "platform/sim/sim.h"
#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

constexpr char kStampedJpg[] = "2026-03-02-14-05-07.jpg";

class CaptureFailureTest : public CaptureTest {
 protected:
  static std::u16string LastMessage() {
    return sim::MessageBoxes().empty() ? std::u16string() : sim::MessageBoxes().back().prompt;
  }
};

// A save that fails after the folder check: one message titled "Error",
// naming the file and the reason; nothing left in the folder; the next
// press works once the cause is gone.
TEST_F(CaptureFailureTest, SaveFailuresAreReportedOnceAndTheNextPressWorks) {
  struct Row {
    const char* what;
    const char* format;
    std::function<void()> cause, cure;
    std::u16string reason;
  } rows[] = {
      {"read-only folder", "JPG", [] { sim::DenyWrites("C:\\Shots"); }, [] { sim::DenyWrites("C:\\Shots", false); },
       u"Access is denied."},
      {"disk full", "JPG", [] { sim::SetFreeSpace('C', 100); }, [] { sim::SetFreeSpace('C', std::nullopt); },
       u"The disk is full."},
      {"disk full, bitmap", "BMP", [] { sim::SetFreeSpace('C', 100); }, [] { sim::SetFreeSpace('C', std::nullopt); },
       u"The disk is full."},
      {"clipboard held past the wait", "JPG", [] { sim::OtherProgramOpensClipboard(0x4242); },
       [] { sim::OtherProgramClosesClipboard(); }, u"The clipboard is in use by another program."},
      {"out of memory while encoding", "JPG", [] { sim::InjectFault("ijlWrite", varnel::IJL_MEMORY_ERROR); }, [] {},
       u"There is not enough memory for the picture."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith(row.format);
    PutPictureOnClipboard(16, 16);
    row.cause();
    PressAndRelease();
    Wait(5100);  // past the wait for a busy clipboard
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const std::string ext = std::string(row.format) == "BMP" ? ".bmp" : ".jpg";
    EXPECT_EQ(sim::MessageBoxes()[0].title, u"Error");
    EXPECT_EQ(LastMessage(), u"The capture could not be saved as\r\nC:\\Shots\\2026-03-02-14-05-07" +
                                 plat::FromUtf8(ext) + u"\r\n\r\n" + row.reason);
    EXPECT_TRUE(form().Visible());
    EXPECT_TRUE(ShotFiles().empty());  // not even an empty file

    row.cure();
    PutPictureOnClipboard(16, 16);  // the next press's own picture
    PressAndRelease();
    EXPECT_EQ(ShotFiles().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
  }
}

// A picture whose bitmap cannot be read is taken in the packed form that
// Windows offers of it too, and gives the very file of an undisturbed
// capture; a picture that cannot be had at all is reported with its cause.
TEST_F(CaptureFailureTest, APictureIsTakenInEitherFormAndAFailureNamesItsCause) {
  StartWith("JPG");
  PutPictureOnClipboard(33, 17);
  PressAndRelease();
  const std::string undisturbed = Shot(kStampedJpg);
  struct Row {
    const char* what;
    std::function<void()> cause;
    std::u16string reason;  // empty: saved, as the undisturbed file
  } rows[] = {
      {"GetDIBits fails", [] { sim::InjectFault("GetDIBits", 0); }, u""},
      // Under Wine, a 32-bit program's bitmap reaches a 64-bit one as memory.
      {"the handle is no bitmap", [] { sim::InjectFault("GetObjectA", 0); }, u""},
      {"no memory for the buffer", [] { sim::InjectFault("CreateDIBSection", 0); },
       u"There is not enough memory for the picture."},
      {"neither form can be read",
       [] {
         sim::InjectFault("GetDIBits", 0);
         sim::InjectFault("GlobalLock", 0);
       },
       u"The picture on the clipboard could not be read. The handle is invalid. (error 6)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG");
    PutPictureOnClipboard(33, 17);
    row.cause();
    PressAndRelease();
    Wait(1100);
    if (row.reason.empty()) {
      EXPECT_TRUE(sim::MessageBoxes().empty());
      ASSERT_EQ(ShotFiles(), std::vector<std::string>{kStampedJpg});
      EXPECT_EQ(Shot(kStampedJpg), undisturbed);
    } else {
      ASSERT_EQ(sim::MessageBoxes().size(), 1u);
      EXPECT_EQ(LastMessage(),
                u"The capture could not be saved as\r\nC:\\Shots\\2026-03-02-14-05-07.jpg\r\n\r\n" + row.reason);
      EXPECT_TRUE(ShotFiles().empty());
    }
  }
}

// The folder, there at the release, deleted before the picture came: it
// does not exist, however long its name.
TEST_F(CaptureFailureTest, AFolderDeletedWhileACaptureWaitsIsSaidToBeGone) {
  for (const std::string& folder : {std::string("C:\\Gone"), "C:\\" + std::string(250, 'g')}) {
    SCOPED_TRACE(folder.size());
    SetUp();
    std::filesystem::create_directories(sim::HostPath(folder));
    StartWith("JPG", false, folder);
    PressAndRelease();  // the picture is not there yet
    std::filesystem::remove_all(sim::HostPath(folder));
    PutPictureOnClipboard(16, 16);
    sim::Tick();
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(LastMessage(), u"The capture could not be saved as\r\n" + plat::FromUtf8(folder) +
                                 u"\\2026-03-02-14-05-07.jpg\r\n\r\nThe folder does not exist.");
  }
}

TEST_F(CaptureFailureTest, BusyClipboardIsWaitedForWithoutHoldingUpTheWindow) {
  StartWith("JPG");
  PutPictureOnClipboard(16, 16);
  sim::OtherProgramOpensClipboard(0x4242);  // with the picture, before the release
  PressAndRelease();
  Wait(500);  // half a second: tried every 20 ms or so, tick by tick
  EXPECT_TRUE(ShotFiles().empty());
  const std::size_t tries = sim::CountCalls("OpenClipboard");
  EXPECT_GE(tries, 12u);
  EXPECT_LE(tries, 35u);
  // Clipboard history and cloud clipboard may hold it for seconds after a
  // large picture.
  Wait(3500);
  EXPECT_TRUE(ShotFiles().empty());
  EXPECT_TRUE(sim::MessageBoxes().empty());
  sim::OtherProgramClosesClipboard();
  sim::Tick(3);
  EXPECT_EQ(ShotFiles(), std::vector<std::string>{kStampedJpg});
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// A capture's message comes while the user works in another program,
// which Windows does not let Varnel push aside (see the foreground rule in
// the simulated toolkit): each box stands in front all the same, belongs to
// the window where that is shown with it, and otherwise to no window.
TEST_F(CaptureFailureTest, EveryCaptureMessageIsSeenOverTheProgramInFront) {
  struct Row {
    const char* what;
    const char* folder;
    std::function<void()> cause;
    std::u16string starts;
    bool withWindow;
  } rows[] = {
      {"folder missing", "C:\\Gone", [] { PutPictureOnClipboard(16, 16); }, u"Capture folder does not exist.", true},
      {"save failed", "C:\\Shots",
       [] {
         PutPictureOnClipboard(16, 16);
         sim::SetFreeSpace('C', 100);
       },
       u"The capture could not be saved as", true},
      {"no new picture", "C:\\Shots", [] {}, u"Print Screen put no new picture", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG", false, row.folder);
    sim::AnotherProgramInFront();
    row.cause();
    PressAndRelease();
    Wait(1100);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.prompt.rfind(row.starts, 0), 0u);
    EXPECT_TRUE(box.topmost);
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.owner, row.withWindow ? plat::RawHandle(form().hWnd()) : 0u);
    EXPECT_EQ(form().Visible(), row.withWindow);
    EXPECT_FALSE(sim::VarnelInFront());  // the window came up behind, its taskbar button flashing
  }
}

TEST_F(CaptureFailureTest, OnlyANewPictureIsSavedAndItsAbsenceIsExplainedOnce) {
  StartWith("JPG");
  PutPictureOnClipboard(16, 16);
  PressAndRelease();
  EXPECT_EQ(ShotFiles().size(), 1u);
  // Windows 11 gave the key to its own tool: the clipboard is as it was.
  for (int i = 0; i < 2; ++i) {
    PressAndRelease();
    Wait(1100);
  }
  EXPECT_EQ(ShotFiles().size(), 1u);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_NE(sim::MessageBoxes()[0].prompt.find(u"\"Use the Print screen key to open screen capture\""),
            std::u16string::npos);
  EXPECT_NE(sim::MessageBoxes()[0].prompt.find(u"Settings, Accessibility, Keyboard"), std::u16string::npos);
  // Windows still writing the picture at the release: it is waited for.
  PressAndRelease();
  Wait(300);
  PutPictureOnClipboard(16, 16);
  sim::Tick();
  EXPECT_EQ(ShotFiles().size(), 2u);
  // Even the picture Varnel found at its start is no capture.
  SetUp();
  PutPictureOnClipboard(16, 16);
  StartWith("JPG");
  PressAndRelease();
  Wait(1100);
  EXPECT_TRUE(ShotFiles().empty());
}

TEST_F(CaptureFailureTest, APressWhileACaptureIsPendingIsCapturedAfterIt) {
  StartWith("JPG");
  PressAndRelease();  // the picture is not there yet
  PressAndRelease();  // a second press meanwhile
  PutPictureOnClipboard(16, 16);
  sim::Tick();
  EXPECT_EQ(ShotFiles().size(), 1u);
  PutPictureOnClipboard(16, 16);
  sim::Tick();
  EXPECT_EQ(ShotFiles(), (std::vector<std::string>{"2026-03-02-14-05-07-2.jpg", kStampedJpg}));
}

TEST_F(CaptureFailureTest, FoldersAreResolvedAndUsedButNeverEntered) {
  const std::string b250(250, 'b'), d250(250, 'd');
  struct Row {
    const char* what;
    std::string typed, folder;  // as the user typed it, and where the captures go
  } rows[] = {
      {"relative", "sub", "C:\\Tools\\sub"},
      {"relative with dots", ".\\sub\\..\\up", "C:\\Tools\\.\\sub\\..\\up"},
      {"rooted without a drive", "\\Shots", "C:\\Shots"},
      {"236 characters", "C:\\" + std::string(233, 'a'), "C:\\" + std::string(233, 'a')},
      {"258 characters", "C:\\" + b250 + "\\cccc", "C:\\" + b250 + "\\cccc"},
      {"260 characters", "C:\\" + d250 + "\\eeeeee", "C:\\" + d250 + "\\eeeeee"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    std::filesystem::create_directories(sim::HostPath(row.folder));
    StartWith("JPG", true);
    sim::UserType(u"SetFolder", plat::FromUtf8(row.typed));
    sim::UserClick(u"ApplyButton");
    for (int i = 0; i < 3; ++i) {
      PutPictureOnClipboard(8, 8);
      PressAndRelease();
    }
    EXPECT_EQ(ShotFiles(row.folder).size(), 3u);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::CountCalls("ChDir"), 0u);
    ASSERT_EQ(sim::ShellExecutions().size(), 3u);
    EXPECT_EQ(sim::ShellExecutions()[0].file, row.folder + "\\2026-03-02-14-05-07.JPG");
    sim::CloseRequest();
    EXPECT_NE(Ini()->find("path=" + row.typed + "\r\n"), std::string::npos);  // kept as typed
    Start();                                                                  // and read back whole, however long
    EXPECT_EQ(main().settings.CaptureFolder, plat::FromUtf8(row.typed));
  }
}

}  // namespace
}  // namespace varnel::testing
