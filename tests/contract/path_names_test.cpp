// Path names as Windows resolves and compares them, and the shell's path of
// a chosen folder: the same cases on the simulated platform and on Wine.
#include <gtest/gtest.h>

#include <vector>

#include "platform/api.h"
#include "platform/text.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::TempDir;

class PathNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  static bool SameNoCase(const std::u16string& a, const std::u16string& b) {
    return plat::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, true) == plat::kCstrEqual;
  }
};

TEST_F(PathNamesTest, FullPathNames) {
  struct Row {
    const char16_t* name;
    const char16_t* full;
  };
  for (const Row& row : {Row{u"C:\\Tools\\.\\sub\\..\\Varnel.exe", u"C:\\Tools\\Varnel.exe"},
                         Row{u"C:/Tools//Varnel.exe", u"C:\\Tools\\Varnel.exe"}, Row{u"C:\\Tools\\", u"C:\\Tools\\"},
                         Row{u"C:\\a\\..\\..\\..", u"C:\\"}, Row{u"\\\\?\\C:\\a\\..\\b", u"\\\\?\\C:\\b"}}) {
    SCOPED_TRACE(plat::ToUtf8(row.name));
    std::vector<char16_t> buffer(64, u'X');
    const std::u16string full(row.full);
    EXPECT_EQ(plat::GetFullPathNameW(row.name, 64, buffer.data()), full.size());
    EXPECT_EQ(std::u16string(buffer.data()), full);
    // Too small a buffer: the size it needs, NUL included.
    EXPECT_EQ(plat::GetFullPathNameW(row.name, static_cast<std::uint32_t>(full.size()), buffer.data()),
              full.size() + 1);
  }
}

// A path spelt with short names, in another case, leads to the one the
// file system keeps; a missing one leads nowhere.
TEST_F(PathNamesTest, ShortNamesLeadToTheLongOnes) {
  const std::u16string folder = TempDir() + u"\\Long folder name";
  plat::testing::MakeFolder(folder);
  const std::u16string exe = folder + u"\\Varnel capture.exe";
  plat::testing::WriteFileBytes(exe, "MZ");
  const std::u16string shortExe = plat::testing::ShortPathOf(exe);
  ASSERT_FALSE(shortExe.empty());
  EXPECT_FALSE(SameNoCase(shortExe, exe));
  EXPECT_EQ(shortExe.find(u' '), std::u16string::npos);

  auto longName = [](const std::u16string& name) {
    std::vector<char16_t> buffer(plat::kLongestPath);
    const std::uint32_t n = plat::GetLongPathNameW(name.c_str(), buffer.data(), plat::kLongestPath);
    EXPECT_EQ(n, std::u16string(buffer.data()).size());
    return n ? std::u16string(buffer.data()) : std::u16string();
  };
  // The scratch folder itself may be given out with short names.
  const std::u16string expected = longName(exe);
  const std::u16string tail = u"\\Long folder name\\Varnel capture.exe";
  ASSERT_GT(expected.size(), tail.size());
  EXPECT_TRUE(SameNoCase(expected.substr(expected.size() - tail.size()), tail)) << plat::ToUtf8(expected);
  for (const std::u16string& name : {shortExe, plat::testing::ShortPathOf(folder) + u"\\VARNEL CAPTURE.EXE"}) {
    SCOPED_TRACE(plat::ToUtf8(name));
    EXPECT_TRUE(SameNoCase(longName(name), expected));
  }
  std::vector<char16_t> buffer(plat::kLongestPath);
  EXPECT_EQ(plat::GetLongPathNameW((folder + u"\\Absent.exe").c_str(), buffer.data(), plat::kLongestPath), 0u);
}

TEST_F(PathNamesTest, CaseIsIgnoredAsTheFileSystemIgnoresIt) {
  struct Row {
    const char16_t *a, *b;
    int ignoringCase, exactly;
  };
  for (const Row& row : {
           Row{u"C:\\Tools\\Varnel.exe", u"c:\\TOOLS\\varnel.EXE", plat::kCstrEqual, plat::kCstrLessThan},
           Row{u"C:\\Caf\u00e9", u"C:\\CAF\u00c9", plat::kCstrEqual, plat::kCstrGreaterThan},
           // "Программы" and "ПРОГРАММЫ"
           Row{u"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b",
               u"\u041f\u0420\u041e\u0413\u0420\u0410\u041c\u041c\u042b", plat::kCstrEqual, plat::kCstrGreaterThan},
           Row{u"C:\\Tools\\Varnel.exe", u"C:\\Tools\\Varnel.exe.bak", plat::kCstrLessThan, plat::kCstrLessThan},
           Row{u"C:\\Tools2", u"C:\\Tools1", plat::kCstrGreaterThan, plat::kCstrGreaterThan},
       }) {
    SCOPED_TRACE(plat::ToUtf8(row.a));
    EXPECT_EQ(plat::CompareStringOrdinal(row.a, -1, row.b, -1, true), row.ignoringCase);
    EXPECT_EQ(plat::CompareStringOrdinal(row.a, -1, row.b, -1, false), row.exactly);
  }
  // Lengths given: only that much is compared.
  EXPECT_EQ(plat::CompareStringOrdinal(u"Varnel.exe", 6, u"VARNEL.ini", 6, true), plat::kCstrEqual);
}

// The path of a folder the dialog hands back, whole whatever its length, as
// long as the buffer holds it.
TEST_F(PathNamesTest, ItemListsGiveTheirWholePath) {
  const std::u16string folder = TempDir() + u"\\" + std::u16string(120, u'a') + u"\\" + std::u16string(120, u'b');
  plat::testing::MakeFolder(folder);
  for (const std::u16string& path : {TempDir(), folder}) {
    SCOPED_TRACE(path.size());
    const plat::ItemList pidl = plat::testing::ItemListOf(path);
    if (pidl == plat::ItemList{} && path.size() >= plat::kMaxPath && plat::testing::UnderWine())
      GTEST_SKIP() << "Wine's shell makes no item list for a path this long";
    ASSERT_NE(pidl, plat::ItemList{});
    std::vector<char16_t> buffer(plat::kLongestPath, u'X');
    EXPECT_TRUE(plat::SHGetPathFromIDListEx(pidl, buffer.data(), plat::kLongestPath, 0));
    EXPECT_TRUE(SameNoCase(buffer.data(), path)) << plat::ToUtf8(buffer.data());
    EXPECT_FALSE(plat::SHGetPathFromIDListEx(pidl, buffer.data(), static_cast<std::uint32_t>(path.size()), 0));
    plat::CoTaskMemFree(pidl);
  }
}

}  // namespace
