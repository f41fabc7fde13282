// The image buffer's platform calls on the simulated platform: their order,
// what each step does when a call fails, and that nothing is left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/dib_section.h"
#include "platform/error.h"
#include "platform/sim/sim.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;
using varnel::testing::ScreenPicture;

template <class H>
std::string S(H h) {
  return std::to_string(plat::RawHandle(h));
}

// The names of the calls logged since the last ClearCalls().
std::vector<std::string> Names() {
  std::vector<std::string> out;
  for (const auto& c : sim::Calls()) out.push_back(c.substr(0, c.find('(')));
  return out;
}

using Seq = std::vector<std::string>;

class DibCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  void TearDown() override { EXPECT_EQ(sim::LiveGdiObjects(), 0u); }
};

TEST_F(DibCallsTest, CreateMakesAContextAndSelectsTheSectionIntoIt) {
  cDIBSection dib;
  sim::ClearCalls();
  ASSERT_TRUE(dib.Create(3, 2));
  const std::string dc = S(dib.hdc()), section = S(dib.hDib());
  EXPECT_EQ(sim::Calls(), (Seq{"CreateCompatibleDC(0)", "CreateDIBSection(" + dc + ",3,2,24,0,0,0)",
                               "SelectObject(" + dc + "," + section + ")"}));
  EXPECT_EQ(sim::BitmapBitsPixel(plat::RawHandle(dib.hDib())), 24);
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);
}

TEST_F(DibCallsTest, CreateOnAReadyBufferReleasesTheOldOneFirst) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  const std::string dc = S(dib.hdc()), section = S(dib.hDib());
  sim::ClearCalls();
  ASSERT_TRUE(dib.Create(5, 5));
  const Seq calls = sim::Calls();
  ASSERT_GE(calls.size(), 3u);
  // The stock bitmap the context held first goes back in before the
  // section is deleted.
  EXPECT_EQ(calls[0].rfind("SelectObject(" + dc + ",", 0), 0u);
  EXPECT_NE(calls[0], "SelectObject(" + dc + ",0)");
  EXPECT_EQ(calls[1], "DeleteObject(" + section + ")");
  EXPECT_EQ(calls[2], "DeleteDC(" + dc + ")");
  EXPECT_EQ(Names(), (Seq{"SelectObject", "DeleteObject", "DeleteDC", "CreateCompatibleDC", "CreateDIBSection",
                          "SelectObject"}));
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);
}

TEST_F(DibCallsTest, ASecondClearUpMakesNoCall) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  dib.ClearUp();
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
  sim::ClearCalls();
  dib.ClearUp();
  {
    cDIBSection fresh;
    fresh.ClearUp();
  }  // nor does destroying an empty buffer
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(DibCallsTest, ACreateThatFailsLeavesNothingBehind) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));

  sim::InjectFault("CreateCompatibleDC", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.Create(8, 8));
  EXPECT_EQ(sim::CountCalls("CreateDIBSection"), 0u);
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.Width(), 3);  // the header was not reached
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);

  sim::InjectFault("CreateDIBSection", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.Create(8, 9));
  EXPECT_EQ(Names(), (Seq{"CreateCompatibleDC", "CreateDIBSection", "DeleteDC"}));
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.hDib(), plat::Hbitmap{});
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 8);
  EXPECT_EQ(dib.Height(), 9);
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
}

TEST_F(DibCallsTest, AnOverflowingSizeLeavesNoDeviceContext) {
  cDIBSection dib;
  sim::ClearCalls();
  EXPECT_THROW(dib.Create(30000, 30000), plat::Error);
  EXPECT_EQ(Names(), (Seq{"CreateCompatibleDC", "DeleteDC"}));
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
}

TEST_F(DibCallsTest, CreateDIBFromOutsideHandsTheSectionToTheCaller) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  Fill(dib, Pattern);
  std::uint8_t* const bits = dib.DIBSectionBitsPtr();
  plat::Hbitmap mine{};
  ASSERT_TRUE(dib.CreateDIB({}, 6, 2, mine));
  ASSERT_NE(mine, plat::Hbitmap{});
  EXPECT_NE(mine, dib.hDib());
  // The buffer keeps describing its own pixels, which outlive the caller's
  // section.
  EXPECT_EQ(dib.Width(), 4);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), bits);
  EXPECT_TRUE(plat::DeleteObject(mine));
  dib.RandomiseBits(true);
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);

  // On an empty object it records the size, and lends no pixels.
  cDIBSection empty;
  ASSERT_TRUE(empty.CreateDIB({}, 6, 2, mine));
  EXPECT_EQ(empty.Width(), 6);
  EXPECT_EQ(empty.Height(), 2);
  EXPECT_EQ(empty.Header().biSizeImage, 40u);
  EXPECT_EQ(empty.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(empty.hDib(), plat::Hbitmap{});
  EXPECT_TRUE(plat::DeleteObject(mine));
}

TEST_F(DibCallsTest, CreateFromPictureSteps) {
  auto picture = ScreenPicture(20, 10, Pattern);
  const std::string pic = S(picture->handle());
  cDIBSection dib;
  sim::ClearCalls();
  dib.CreateFromPicture(picture);
  EXPECT_EQ(Names(),
            (Seq{"GetObjectA", "CreateCompatibleDC", "CreateDIBSection", "SelectObject", "GetDesktopWindow", "GetDC",
                 "CreateCompatibleDC", "ReleaseDC", "SelectObject", "BitBlt", "SelectObject", "DeleteDC"}));
  const Seq& c = sim::Calls();
  EXPECT_EQ(c[0], "GetObjectA(" + pic + "," + std::to_string(sizeof(plat::Bitmap)) + ")");
  EXPECT_EQ(c[5], "GetDC(" + S(sim::DesktopWindow()) + ")");
  EXPECT_EQ(c[8].substr(c[8].find(',')), "," + pic + ")");
  EXPECT_EQ(c[9].substr(0, c[9].find(',')), "BitBlt(" + S(dib.hdc()));
  EXPECT_EQ(FirstDifference(dib, Pattern), "");
  EXPECT_EQ(sim::LiveGdiObjects(), 3u);  // the buffer's two and the picture
}

TEST_F(DibCallsTest, CreateFromPictureStopsAtTheFirstFailure) {
  auto picture = ScreenPicture(20, 10, Pattern);
  cDIBSection dib;

  sim::InjectFault("GetDC", 0);
  dib.CreateFromPicture(picture);
  EXPECT_NE(dib.hdc(), plat::Hdc{});  // ready but not filled
  EXPECT_EQ(FirstDifference(dib, [](auto, auto) { return 0u; }), "");
  EXPECT_EQ(sim::LiveGdiObjects(), 3u);

  sim::InjectFault("CreateCompatibleDC", 0, 1, 1);  // the second one
  sim::ClearCalls();
  dib.CreateFromPicture(picture);
  EXPECT_NE(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(sim::CountCalls("ReleaseDC"), 1u);
  EXPECT_EQ(sim::CountCalls("BitBlt"), 0u);
  EXPECT_EQ(FirstDifference(dib, [](auto, auto) { return 0u; }), "");
  EXPECT_EQ(sim::LiveGdiObjects(), 3u);

  sim::InjectFault("CreateDIBSection", 0);
  sim::ClearCalls();
  dib.CreateFromPicture(picture);
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(sim::CountCalls("GetDC"), 0u);
  EXPECT_EQ(sim::LiveGdiObjects(), 1u);
}

TEST_F(DibCallsTest, CopyToClipboardSteps) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(64, 48));
  Fill(dib, Pattern);
  sim::ClearCalls();
  ASSERT_TRUE(dib.CopyToClipboard(false));
  EXPECT_EQ(Names(), (Seq{"GetDesktopWindow", "GetDC", "CreateCompatibleDC", "CreateCompatibleBitmap", "SelectObject",
                          "BitBlt", "SelectObject", "OpenClipboard", "EmptyClipboard", "SetClipboardData",
                          "CloseClipboard", "DeleteDC", "ReleaseDC"}));
  const Seq& c = sim::Calls();
  EXPECT_EQ(c[1], "GetDC(" + S(sim::DesktopWindow()) + ")");
  // The bitmap is made for the screen's context, not the memory one.
  EXPECT_EQ(c[3].rfind("CreateCompatibleBitmap(", 0), 0u);
  EXPECT_NE(c[3].find(",64,48)"), std::string::npos);
  EXPECT_EQ(c[7], "OpenClipboard(0)");
  const plat::Handle bitmap = sim::ClipboardData(plat::kCfBitmap);
  ASSERT_NE(bitmap, 0u);
  EXPECT_EQ(c[9], "SetClipboardData(2," + S(bitmap) + ")");
  EXPECT_EQ(sim::BitmapBitsPixel(bitmap), 32);
  EXPECT_EQ(sim::BitmapPixel(bitmap, 5, 7), Pattern(5, 7));
  EXPECT_FALSE(sim::ClipboardIsOpen());
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);  // the clipboard's bitmap is not ours
}

TEST_F(DibCallsTest, CopyToClipboardGivesBackWhatItTookWhenAStepFails) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));

  sim::InjectFault("GetDC", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard(false));
  EXPECT_EQ(Names(), (Seq{"GetDesktopWindow", "GetDC"}));

  sim::InjectFault("CreateCompatibleDC", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard(false));
  EXPECT_EQ(Names(), (Seq{"GetDesktopWindow", "GetDC", "CreateCompatibleDC", "ReleaseDC"}));

  sim::InjectFault("CreateCompatibleBitmap", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard(false));
  EXPECT_EQ(Names(), (Seq{"GetDesktopWindow", "GetDC", "CreateCompatibleDC", "CreateCompatibleBitmap", "DeleteDC",
                          "ReleaseDC"}));

  const Seq drawn{"GetDesktopWindow", "GetDC",  "CreateCompatibleDC", "CreateCompatibleBitmap",
                  "SelectObject",     "BitBlt", "SelectObject",       "OpenClipboard"};
  sim::OtherProgramOpensClipboard(0x30030);
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard(false));
  Seq expected = drawn;
  expected.insert(expected.end(), {"DeleteObject", "DeleteDC", "ReleaseDC"});
  EXPECT_EQ(Names(), expected);
  EXPECT_TRUE(sim::ClipboardIsOpen());  // still the other program's
  sim::OtherProgramClosesClipboard();

  sim::InjectFault("SetClipboardData", 0);
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard(false));
  expected = drawn;
  expected.insert(expected.end(),
                  {"EmptyClipboard", "SetClipboardData", "CloseClipboard", "DeleteObject", "DeleteDC", "ReleaseDC"});
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(sim::ClipboardData(plat::kCfBitmap), 0u);
  EXPECT_FALSE(sim::ClipboardIsOpen());
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);
}

TEST_F(DibCallsTest, TheDefaultFormShowsTheMessageAfterTakingTheContexts) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  sim::ClearCalls();
  EXPECT_FALSE(dib.CopyToClipboard());
  EXPECT_EQ(Names(), (Seq{"GetDesktopWindow", "GetDC", "CreateCompatibleDC", "MessageBox", "DeleteDC", "ReleaseDC"}));
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].title, u"Varnel");
  EXPECT_EQ(sim::CountCalls("OpenClipboard"), 0u);
}

TEST_F(DibCallsTest, AFailedResampleReleasesItsNewBuffer) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(1, 100));
  sim::ClearCalls();
  EXPECT_THROW(src.Resample(50, 1), plat::Error);
  EXPECT_EQ(sim::CountCalls("CreateDIBSection"), 1u);
  EXPECT_EQ(sim::CountCalls("DeleteObject"), 1u);
  EXPECT_EQ(sim::LiveGdiObjects(), 2u);
}

TEST_F(DibCallsTest, TheCopyPathIsOneTransfer) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(6, 4));
  sim::ClearCalls();
  auto copy = src.Resample(4, 6);
  ASSERT_TRUE(copy);
  EXPECT_EQ(Names(), (Seq{"CreateCompatibleDC", "CreateDIBSection", "SelectObject", "BitBlt"}));
  EXPECT_EQ(sim::Calls()[3],
            "BitBlt(" + S(copy->hdc()) + ",0,0,6,4," + S(src.hdc()) + ",0,0," + std::to_string(plat::kSrcCopy) + ")");
}

TEST_F(DibCallsTest, NoiseIsReseededFromTheClockAtEachCall) {
  cDIBSection a, b;
  ASSERT_TRUE(a.Create(16, 16));
  ASSERT_TRUE(b.Create(16, 16));
  auto same = [&] { return std::equal(a.DIBSectionBitsPtr(), a.DIBSectionBitsPtr() + 16 * 48, b.DIBSectionBitsPtr()); };
  sim::SetTimeOfDay(3600.25f);
  a.RandomiseBits();
  b.RandomiseBits();
  EXPECT_TRUE(same());
  a.RandomiseBits(true);
  b.RandomiseBits(true);
  EXPECT_TRUE(same());
  sim::SetTimeOfDay(3600.5f);
  b.RandomiseBits(true);
  EXPECT_FALSE(same());
}

}  // namespace
