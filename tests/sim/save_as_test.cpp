// A capture that was read but could not be written: its message offers
// Save as... and Close, the picture saved elsewhere is the capture's own,
// whatever the clipboard holds by then, and an exit from the icon while
// pictures are kept asks first.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/file_formats.h"
#include "imaging/ijl.h"
#include "platform/sim/sim.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

constexpr std::int32_t kWidth = 40, kHeight = 24;
// A picture as a screen shows one: smooth, as JPEG is made for.
std::uint32_t Smooth(std::int32_t x, std::int32_t y) {
  return static_cast<std::uint32_t>((x * 5) & 0xFF) | static_cast<std::uint32_t>(((y * 9) & 0xFF) << 8) |
         static_cast<std::uint32_t>((((x + y) * 3) & 0xFF) << 16);
}
const std::vector<std::u16string> kSaveAsClose{u"Save as\u2026", u"Close"};
constexpr char16_t kFailedAs[] = u"The capture could not be saved as\r\n";

class SaveAsTest : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    std::filesystem::create_directories(sim::HostPath("D:\\Saved"));
  }
  static std::optional<std::string> Read(const std::string& path) {
    return plat::testing::ReadFileBytes(plat::FromUtf8(path));
  }
  // The smooth picture's peak signal-to-noise ratio in a JPEG file, in dB.
  static double JpegPsnr(const std::string& file) { return CaptureTest::JpegPsnr(file, kWidth, kHeight, Smooth); }
  // Print Screen with the pattern on the clipboard and a full disk C:.
  static void FailedPress(std::int32_t width = kWidth, std::int32_t height = kHeight) {
    PutPictureOnClipboard(width, height);
    sim::SetFreeSpace('C', 100);
    PressAndRelease();
  }
  Capture& capture() { return main().capture(); }
};

// Each failure after the picture was read keeps it: the message is as it
// always was, with Save as... and Close; the dialog proposes the stamp in
// the capture's format, in the user's Pictures while no capture has worked;
// the file written there is the captured picture, though the clipboard
// holds something else by then; and the picture's memory goes back.
TEST_F(SaveAsTest, EveryWriteFailureOffersSaveAsAndTheFileIsThePicture) {
  struct Row {
    const char* what;
    const char16_t* format;
    std::function<void()> cause;
    std::u16string reason;
    bool deleteFolderFirst = false;
  } rows[] = {
      {"disk full", u"JPG", [] { sim::SetFreeSpace('C', 100); }, u"The disk is full."},
      {"access denied", u"PNG", [] { sim::DenyWrites("C:\\Shots"); }, u"Access is denied."},
      {"write-protected", u"BMP", [] { sim::InjectFault("CreateFileW", 19); }, u"The disk is write-protected."},
      {"file in use", u"PNG", [] { sim::InjectFault("CreateFileW", 32); }, u"The file is in use by another program."},
      {"path too long", u"BMP", [] { sim::InjectFault("CreateFileW", 206); }, u"The path is too long."},
      {"folder deleted after the press", u"PNG", [] {}, u"The folder does not exist.", true},
      {"memory while encoding", u"JPG", [] { sim::InjectFault("ijlWrite", varnel::IJL_MEMORY_ERROR); },
       u"There is not enough memory for the picture."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith(plat::ToUtf8(row.format));
    const FileFormat& format = FormatOf(FormatCode(row.format));
    std::size_t gdiWhileKept = 0;
    sim::WhileMessageBoxOpen([&] {
      gdiWhileKept = sim::LiveGdiObjects();
      PutTextOnClipboard();  // the user copies something else meanwhile
      PutPictureOnClipboard(8, 8);
    });
    sim::QueueTaskBoxAnswer(kSaveAsClose[0]);
    sim::QueueSaveDialogAnswer({"D:\\Saved\\kept"});
    if (row.deleteFolderFirst) {
      PressAndRelease();  // the picture is not there yet
      std::filesystem::remove_all(sim::HostPath("C:\\Shots"));
      PutPictureOnClipboard(kWidth, kHeight, Smooth);
      sim::Tick();
    } else {
      PutPictureOnClipboard(kWidth, kHeight, Smooth);
      row.cause();
      PressAndRelease();
    }

    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.prompt, std::u16string(kFailedAs) + u"C:\\Shots\\2026-03-02-14-05-07" + format.extension +
                              u"\r\n\r\n" + row.reason);
    EXPECT_EQ(box.title, u"Error");
    EXPECT_EQ(box.buttons, kSaveAsClose);
    EXPECT_TRUE(box.topmost);
    EXPECT_EQ(box.owner, plat::RawHandle(form().hWnd()));
    ASSERT_EQ(sim::SaveDialogs().size(), 1u);
    const sim::SaveDialogCall& dialog = sim::SaveDialogs()[0];
    EXPECT_EQ(dialog.fileName, "2026-03-02-14-05-07");
    EXPECT_EQ(dialog.folder, "C:\\Users\\user\\Pictures");
    EXPECT_EQ(dialog.types, (std::vector<std::string>{"JPEG (*.jpg)", "Bitmap (*.bmp)", "PNG (*.png)"}));
    EXPECT_EQ(FileFormats()[dialog.type].code, std::u16string(row.format));
    EXPECT_EQ(dialog.owner, box.owner);

    const auto saved = Read("D:\\Saved\\kept" + plat::ToUtf8(format.extension));
    ASSERT_TRUE(saved);
    if (format.code == std::u16string(u"JPG"))
      EXPECT_GE(JpegPsnr(*saved), 40.0);
    else
      EXPECT_TRUE(*saved == Encoded(row.format, kWidth, kHeight, Smooth));
    EXPECT_EQ(capture().KeptCount(), 0u);
    EXPECT_LT(sim::LiveGdiObjects(), gdiWhileKept);
  }
}

// In the dialog: a failure is told and the dialog comes again, where the
// user was; Cancel goes back to the message; the name's extension picks
// the format; the folder that worked is offered the next time.
TEST_F(SaveAsTest, AFailureInTheDialogIsToldAndCancelReturnsToTheMessage) {
  // The user's Pictures moved to a disk with room.
  sim::SetShellFolder(plat::kCsidlMyPictures, u"D:\\Pictures");
  std::filesystem::create_directories(sim::HostPath("D:\\Pictures"));
  StartWith("JPG");
  std::filesystem::create_directories(sim::HostPath("C:\\Other"));
  for (const char16_t* answer : {u"Save as\u2026", u"Save as\u2026"}) sim::QueueTaskBoxAnswer(answer);
  sim::QueueSaveDialogAnswer({"C:\\Other\\first"});  // C: is full too
  sim::QueueSaveDialogAnswer({std::nullopt});        // Cancel
  sim::QueueSaveDialogAnswer({"second.png"});        // in the folder shown
  FailedPress();

  ASSERT_EQ(sim::MessageBoxes().size(), 3u);
  EXPECT_EQ(sim::MessageBoxes()[0].buttons, kSaveAsClose);
  EXPECT_EQ(sim::MessageBoxes()[1].prompt,
            kFailedAs + std::u16string(u"C:\\Other\\first.jpg\r\n\r\nThe disk is full."));
  EXPECT_TRUE(sim::MessageBoxes()[1].buttons.empty());
  EXPECT_EQ(sim::MessageBoxes()[1].owner, sim::MessageBoxes()[0].owner);
  EXPECT_EQ(sim::MessageBoxes()[2].buttons, kSaveAsClose);  // the message again, after Cancel
  ASSERT_EQ(sim::SaveDialogs().size(), 3u);
  EXPECT_EQ(sim::SaveDialogs()[1].folder, "C:\\Other");  // offered again where the user was
  EXPECT_EQ(sim::SaveDialogs()[1].fileName, "first");
  EXPECT_EQ(sim::SaveDialogs()[2].folder, "D:\\Pictures");
  EXPECT_TRUE(plat::testing::ReadFileBytes(u"C:\\Other\\first.jpg") == std::nullopt);  // not even a part
  EXPECT_EQ(Read("D:\\Pictures\\second.png"), Encoded(u"PNG", kWidth, kHeight));
  EXPECT_EQ(capture().KeptCount(), 0u);

  // Close gives the picture up unsaved.
  sim::QueueTaskBoxAnswer(u"Close");
  FailedPress();
  EXPECT_EQ(sim::SaveDialogs().size(), 3u);
  EXPECT_EQ(capture().KeptCount(), 0u);
}

// The file saved is the last capture: it is opened where the settings say
// so, and its folder is offered the next time.
TEST_F(SaveAsTest, ASavedPictureIsTheLastCapture) {
  StartWith("BMP", true);
  sim::QueueTaskBoxAnswer(u"Save as\u2026");
  sim::QueueSaveDialogAnswer({"D:\\Saved\\shot", 1});
  FailedPress();
  ASSERT_EQ(sim::ShellExecutions().size(), 1u);
  EXPECT_EQ(sim::ShellExecutions()[0].file, "D:\\Saved\\shot.BMP");
  sim::QueueTaskBoxAnswer(u"Save as\u2026");
  FailedPress();
  ASSERT_EQ(sim::SaveDialogs().size(), 2u);
  EXPECT_EQ(sim::SaveDialogs()[1].folder, "D:\\Saved");
}

// Presses while a message is open are captured; each failed one has its
// own message and picture, shown once the one before is done. At most
// three pictures are kept: the fourth failure is told as before, without
// Save as.
TEST_F(SaveAsTest, EachFailedPressHasItsOwnMessageAndAtMostThreeAreKept) {
  StartWith("PNG");
  std::vector<std::size_t> keptAtBox;
  bool pressed = false;
  sim::WhileMessageBoxOpen([&] {
    keptAtBox.push_back(capture().KeptCount());
    if (std::exchange(pressed, true)) return;
    FailedPress(20, 10);
    FailedPress(30, 12);
    FailedPress(50, 30);
    EXPECT_EQ(capture().KeptCount(), 3u);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);  // the others wait for this one
  });
  for (int i = 0; i < 3; ++i) sim::QueueTaskBoxAnswer(u"Save as\u2026");
  for (const char* name : {"D:\\Saved\\one", "D:\\Saved\\two", "D:\\Saved\\three"}) sim::QueueSaveDialogAnswer({name});
  FailedPress();

  ASSERT_EQ(sim::MessageBoxes().size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(sim::MessageBoxes()[i].buttons, kSaveAsClose) << i;
  EXPECT_TRUE(sim::MessageBoxes()[3].buttons.empty());
  EXPECT_EQ(sim::MessageBoxes()[3].prompt,
            kFailedAs + std::u16string(u"C:\\Shots\\2026-03-02-14-05-07.png\r\n\r\nThe disk is full."));
  EXPECT_EQ(keptAtBox, (std::vector<std::size_t>{1, 2, 1, 0}));  // one given back with each message
  EXPECT_EQ(Read("D:\\Saved\\one.png"), Encoded(u"PNG", kWidth, kHeight));
  EXPECT_EQ(Read("D:\\Saved\\two.png"), Encoded(u"PNG", 20, 10));
  EXPECT_EQ(Read("D:\\Saved\\three.png"), Encoded(u"PNG", 30, 12));
}

// A failure with no picture in hand is told as before: no Save as.
TEST_F(SaveAsTest, AFailureWithoutAPictureOffersNoSaveAs) {
  struct Row {
    const char* what;
    const char* folder;
    std::function<void()> cause;
    std::u16string starts;
  } rows[] = {
      {"busy clipboard", "C:\\Shots", [] { sim::OtherProgramOpensClipboard(0x4242); }, kFailedAs},
      {"memory while reading", "C:\\Shots", [] { sim::InjectFault("CreateDIBSection", 0); }, kFailedAs},
      {"no folder", "C:\\Gone", [] {}, u"Capture folder does not exist."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG", false, row.folder);
    sim::QueueTaskBoxAnswer(u"Save as\u2026");  // would be pressed, were it offered
    PutPictureOnClipboard(kWidth, kHeight);
    row.cause();
    PressAndRelease();
    Wait(5100);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].prompt.rfind(row.starts, 0), 0u);
    EXPECT_TRUE(sim::MessageBoxes()[0].buttons.empty());
    EXPECT_TRUE(sim::SaveDialogs().empty());
    EXPECT_EQ(capture().KeptCount(), 0u);
  }
}

// An exit from the icon while pictures are kept asks, and No keeps Varnel
// and the pictures; the end of the session gives them up without a word.
TEST_F(SaveAsTest, ExitWithKeptPicturesAsksFirst) {
  struct Row {
    const char* what;
    std::function<void()> exit;
    std::vector<std::u16string> questions;  // what was asked, in turn
  } rows[] = {
      {"No, then Yes",
       [] {
         sim::QueueTaskBoxAnswer(u"No");
         sim::ShellTrayMessage(plat::kWmRButtonDblClk);
         EXPECT_FALSE(sim::WindowDestroyed());
         sim::QueueTaskBoxAnswer(u"Yes");
         sim::ShellTrayMessage(plat::kWmRButtonDblClk);
       },
       {u"2 captures were not saved. Exit anyway?", u"2 captures were not saved. Exit anyway?"}},
      {"the session ends", [] { sim::EndSession(); }, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    StartWith("JPG");
    bool exited = false;
    sim::WhileMessageBoxOpen([&] {
      if (std::exchange(exited, true)) return;
      FailedPress();  // a second picture kept while the first message is open
      ASSERT_EQ(capture().KeptCount(), 2u);
      row.exit();
    });
    FailedPress();
    EXPECT_TRUE(sim::WindowDestroyed());
    std::vector<std::u16string> questions;
    for (const auto& box : sim::MessageBoxes())
      if (box.buttons == std::vector<std::u16string>{u"Yes", u"No"}) questions.push_back(box.prompt);
    EXPECT_EQ(questions, row.questions);
    EXPECT_EQ(sim::MessageBoxes().size(), 1 + row.questions.size());  // the second message never opened
    EXPECT_EQ(capture().KeptCount(), 0u);
    EXPECT_TRUE(sim::SaveDialogs().empty());
  }
  // Nothing kept: nothing asked.
  SetUp();
  StartWith("JPG");
  sim::ShellTrayMessage(plat::kWmRButtonDblClk);
  EXPECT_TRUE(sim::WindowDestroyed());
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

}  // namespace
}  // namespace varnel::testing
