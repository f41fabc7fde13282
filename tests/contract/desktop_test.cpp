// What the program needs of the desktop around it: the shell's execution
// and special folders with names in any script, and the claim of one copy
// per session. The same cases on the simulated platform and on Wine.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/api.h"
#include "platform/files.h"
#include "platform/toolkit.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::TempDir;

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
};

// "Фото" and "Нет": the wide calls must reach them by name.
const std::u16string kPhotos = u"\\\u0424\u043e\u0442\u043e";

TEST_F(DesktopTest, ShellExecuteWFindsNamesInAnyScript) {
  const std::u16string file = TempDir() + kPhotos + u".varnel-unknown";
  plat::testing::WriteFileBytes(file, "x");
  // Found: only its kind has no handler.
  EXPECT_EQ(plat::ShellExecuteW({}, u"open", file.c_str(), u"", u"", plat::kSwShowNormal), plat::kSeErrNoAssoc);
  const std::u16string missing = TempDir() + u"\\\u041d\u0435\u0442.txt";
  EXPECT_EQ(plat::ShellExecuteW({}, u"open", missing.c_str(), u"", u"", plat::kSwShowNormal), plat::kSeErrFileNotFound);
}

TEST_F(DesktopTest, SpecialFoldersAndTheirSubFolders) {
  std::vector<char16_t> path(plat::kMaxPath, u'\0');
  for (int csidl : {plat::kCsidlDesktopDirectory, plat::kCsidlAppData}) {
    SCOPED_TRACE(csidl);
    ASSERT_EQ(plat::SHGetFolderPathW({}, csidl, 0, plat::kShgfpTypeCurrent, path.data()), 0);
    EXPECT_TRUE(plat::FolderExists(path.data()));
  }
  const std::u16string appData = path.data();

  // A sub-folder that is missing is an error, unless asked to be made.
  const std::u16string sub = u"VarnelTests" + kPhotos.substr(1);
  const std::u16string made = appData + u"\\" + sub;
  plat::testing::RemoveFolder(made);
  EXPECT_NE(
      plat::SHGetFolderPathAndSubDirW({}, plat::kCsidlAppData, 0, plat::kShgfpTypeCurrent, sub.c_str(), path.data()),
      0);
  ASSERT_EQ(plat::SHGetFolderPathAndSubDirW({}, plat::kCsidlAppData | plat::kCsidlFlagCreate, 0,
                                            plat::kShgfpTypeCurrent, sub.c_str(), path.data()),
            0);
  EXPECT_EQ(std::u16string(path.data()), made);
  EXPECT_TRUE(plat::FolderExists(made));
  plat::testing::RemoveFolder(made);
}

TEST(InstanceClaimTest, OneHolderPerNameUntilItLetsGo) {
  plat::testing::BeginTest();
  const std::u16string name = u"VarnelTests.Claim";
  auto first = std::make_unique<plat::InstanceClaim>(name);
  EXPECT_TRUE(first->held());
  {
    plat::InstanceClaim second(name);
    EXPECT_FALSE(second.held());
    plat::InstanceClaim other(name + u".Other");
    EXPECT_TRUE(other.held());
  }
  EXPECT_TRUE(first->held());
  first.reset();
  plat::InstanceClaim third(name);
  EXPECT_TRUE(third.held());
}

}  // namespace
