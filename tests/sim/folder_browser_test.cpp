// The folder picker's answers, on the simulated shell.
#include <gtest/gtest.h>

#include "platform/sim/sim.h"
#include "platform/text.h"
#include "shell/folder_browser.h"
#include "tests/support/test_support.h"

namespace varnel {
namespace {

class FolderBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  void TearDown() override { EXPECT_EQ(sim::LiveItemLists(), 0u); }  // every list freed
};

TEST_F(FolderBrowserTest, DialogDescription) {
  BrowseForFolderPath(plat::HandleOf<plat::Hwnd>(0x1234), u"Pick one");
  ASSERT_EQ(sim::FolderDialogs().size(), 1u);
  const auto& d = sim::FolderDialogs()[0];
  EXPECT_EQ(d.owner, 0x1234u);
  EXPECT_EQ(d.title, "Pick one");
  EXPECT_EQ(d.flags, 1u);
  EXPECT_TRUE(d.rootIsDesktop);
  EXPECT_FALSE(d.displayNameRequested);
  EXPECT_FALSE(d.callback);
}

TEST_F(FolderBrowserTest, Answers) {
  sim::QueueFolderDialogAnswer(std::nullopt);
  EXPECT_EQ(BrowseForFolderPath({}, u"t"), u"");
  EXPECT_EQ(sim::CountCalls("CoTaskMemFree"), 0u);  // nothing to free after a cancel

  sim::QueueFolderDialogAnswer(std::string("C:\\"));
  EXPECT_EQ(BrowseForFolderPath({}, u"t"), u"C:\\");

  // Up to MAX_PATH, and past it: a folder captures can use comes back whole.
  for (std::size_t length : {259u, 260u, 400u}) {
    SCOPED_TRACE(length);
    sim::QueueFolderDialogAnswer("C:\\" + std::string(length - 3, 'd'));
    bool noPath = true;
    const std::u16string got = BrowseForFolderPath({}, u"t", &noPath);
    EXPECT_EQ(got.size(), length);
    EXPECT_EQ(got.find(u'\0'), std::u16string::npos);
    EXPECT_FALSE(noPath);
  }

  sim::QueueFolderDialogAnswer(std::string());  // an item without a file-system path
  bool noPath = false;
  EXPECT_EQ(BrowseForFolderPath({}, u"t", &noPath), u"");
  EXPECT_TRUE(noPath);
  EXPECT_EQ(sim::CountCalls("CoTaskMemFree"), 5u);
}

TEST_F(FolderBrowserTest, PathsInAnyScriptComeBackWhole) {
  for (const char16_t* path :
       {u"D:\\Caf\u00e9", u"D:\\\u0424\u043e\u0442\u043e \u0395\u03bb\u03bb\u03ac\u03b4\u03b1"}) {
    sim::QueueFolderDialogAnswer(plat::ToUtf8(path));
    EXPECT_EQ(BrowseForFolderPath({}, u"t"), path);
  }
}

}  // namespace
}  // namespace varnel
