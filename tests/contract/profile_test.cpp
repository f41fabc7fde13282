// Private-profile functions on real files: the same cases on the simulated
// platform and on Wine.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::TempDir;
using plat::testing::Utf16File;
using plat::testing::WriteFileBytes;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    path_ = TempDir() + u"\\Varnel.ini";
    file_ = plat::ToAnsi(path_);
  }
  std::string Get(const char* section, const char* key, const char* def, std::uint32_t size = 255,
                  std::uint32_t* count = nullptr) {
    std::vector<char> buf(size + 1, 'X');
    std::uint32_t n = plat::GetPrivateProfileStringA(section, key, def, buf.data(), size, file_.c_str());
    if (count) *count = n;
    return std::string(buf.data());
  }
  std::uint32_t Int(const char* key, int def) { return plat::GetPrivateProfileIntA("main", key, def, file_.c_str()); }
  bool Write(const char* section, const char* key, const char* value) {
    return plat::WritePrivateProfileStringA(section, key, value, file_.c_str());
  }
  std::u16string GetW(const char16_t* section, const char16_t* key) {
    std::vector<char16_t> buf(256, u'X');
    plat::GetPrivateProfileStringW(section, key, u"", buf.data(), 255, path_.c_str());
    return std::u16string(buf.data());
  }
  bool WriteW(const char16_t* section, const char16_t* key, const char16_t* value) {
    return plat::WritePrivateProfileStringW(section, key, value, path_.c_str());
  }
  std::u16string path_;
  std::string file_;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  std::uint32_t n = 0;
  EXPECT_EQ(Get("main", "path", "C:\\Users\\ann\\Desktop", 255, &n), "C:\\Users\\ann\\Desktop");
  EXPECT_EQ(n, 20u);
  // Trailing blanks of the default are dropped.
  EXPECT_EQ(Get("main", "format", "JPG   ", 4, &n), "JPG");
  EXPECT_EQ(n, 3u);
  WriteFileBytes(path_, "[other]\r\npath=x\r\n[main]\r\nopen=1\r\n");
  EXPECT_EQ(Get("main", "path", "dflt"), "dflt");
  EXPECT_EQ(Get("absent", "open", "d"), "d");
  EXPECT_EQ(Int("missing", 7), 7u);
}

TEST_F(ProfileTest, NamesAreCaseInsensitiveAndValuesTrimmed) {
  WriteFileBytes(path_, "[Main]\r\n  PATH =  C:\\Shots  \r\nformat=\"bmp\"\r\nq='a b'\r\nhalf=\"x\r\nopen=\r\n");
  EXPECT_EQ(Get("main", "path", ""), "C:\\Shots");
  EXPECT_EQ(Get("MAIN", "Format", ""), "bmp");
  EXPECT_EQ(Get("main", "q", ""), "a b");
  EXPECT_EQ(Get("main", "half", ""), "\"x");
  // An empty value is found: it is not replaced by the default.
  EXPECT_EQ(Get("main", "open", "d"), "");
}

TEST_F(ProfileTest, ResultIsCutToTheBuffer) {
  const std::string longPath = "C:\\" + std::string(297, 'p');
  ASSERT_TRUE(Write("main", "path", longPath.c_str()));
  std::uint32_t n = 0;
  EXPECT_EQ(Get("main", "path", "", 255, &n), longPath.substr(0, 254));
  EXPECT_EQ(n, 254u);
  ASSERT_TRUE(Write("main", "format", "jpeg"));
  EXPECT_EQ(Get("main", "format", "JPG", 4, &n), "jpe");
  EXPECT_EQ(n, 3u);
}

TEST_F(ProfileTest, IntegerParsing) {
  WriteFileBytes(path_, "[main]\r\ntwo=2\r\nyes=yes\r\nlead= 12abc\r\nneg=-3\r\nempty=\r\nzero=0\r\n");
  EXPECT_EQ(Int("two", 0), 2u);
  EXPECT_EQ(Int("yes", 9), 0u);
  EXPECT_EQ(Int("lead", 0), 12u);
  EXPECT_EQ(Int("neg", 0), static_cast<std::uint32_t>(-3));
  EXPECT_EQ(Int("empty", 9), 9u);
  EXPECT_EQ(Int("zero", 9), 0u);
}

TEST_F(ProfileTest, NewFileHoldsTheSectionAndKeysInOrder) {
  ASSERT_TRUE(Write("main", "path", "C:\\Users\\ann\\Desktop"));
  ASSERT_TRUE(Write("main", "format", "JPG"));
  ASSERT_TRUE(Write("main", "open", "0"));
  EXPECT_EQ(ReadFileBytes(path_), "[main]\r\npath=C:\\Users\\ann\\Desktop\r\nformat=JPG\r\nopen=0\r\n");
}

TEST_F(ProfileTest, ExistingKeysReplacedInPlaceAndMissingOnesAppended) {
  WriteFileBytes(path_, "[main]\r\nOpen=1\r\nextra=keep\r\n[other]\r\npath=untouched\r\n");
  ASSERT_TRUE(Write("main", "path", "D:\\"));
  ASSERT_TRUE(Write("MAIN", "open", "0"));
  EXPECT_EQ(ReadFileBytes(path_), "[main]\r\nOpen=0\r\nextra=keep\r\npath=D:\\\r\n[other]\r\npath=untouched\r\n");
  // A new section goes at the end.
  ASSERT_TRUE(Write("third", "k", "v"));
  EXPECT_EQ(Get("third", "k", ""), "v");
  EXPECT_EQ(Get("other", "path", ""), "untouched");
}

TEST_F(ProfileTest, WritingIntoAMissingFolderFails) {
  const std::string missing = plat::ToAnsi(TempDir() + u"\\absent\\Varnel.ini");
  EXPECT_FALSE(plat::WritePrivateProfileStringA("main", "open", "1", missing.c_str()));
  EXPECT_FALSE(ReadFileBytes(TempDir() + u"\\absent\\Varnel.ini").has_value());
}

// "Фото Λήψη": letters Windows-1252 has no form for, not even a look-alike.
const std::u16string kFolder = u"C:\\\u0424\u043e\u0442\u043e \u039b\u03ae\u03c8\u03b7";

TEST_F(ProfileTest, WideCallsOnAnAnsiFileKeepOnlyWhatTheCodePageHolds) {
  // A new file, like any file without the mark, is written in the code
  // page: the Cyrillic and Greek letters become '?'.
  ASSERT_TRUE(WriteW(u"main", u"path", (u"Caf\u00e9 " + kFolder).c_str()));
  EXPECT_EQ(ReadFileBytes(path_), "[main]\r\npath=Caf\xe9 C:\\???? ????\r\n");
  EXPECT_EQ(GetW(u"main", u"path"), u"Caf\u00e9 C:\\???? ????");
}

TEST_F(ProfileTest, UnicodeFileKeepsEveryScriptAndEverythingElse) {
  path_ = TempDir() + u"\\\u041d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438.ini";  // a name in Cyrillic too
  WriteFileBytes(path_, "[other]\r\nkeep=Caf\xe9\r\n[main]\r\nopen=1\r\n");
  ASSERT_TRUE(plat::ConvertProfileToUnicode(path_));
  EXPECT_EQ(ReadFileBytes(path_), Utf16File(u"[other]\r\nkeep=Caf\u00e9\r\n[main]\r\nopen=1\r\n"));

  ASSERT_TRUE(WriteW(u"main", u"path", kFolder.c_str()));
  const std::string expected = Utf16File(u"[other]\r\nkeep=Caf\u00e9\r\n[main]\r\nopen=1\r\npath=" + kFolder + u"\r\n");
  EXPECT_EQ(ReadFileBytes(path_), expected);
  EXPECT_EQ(GetW(u"main", u"path"), kFolder);
  EXPECT_EQ(GetW(u"other", u"keep"), u"Caf\u00e9");
  EXPECT_EQ(plat::GetPrivateProfileIntW(u"main", u"open", 0, path_.c_str()), 1u);
  // Through the "A" calls, the file's name out of the code page's reach,
  // the file is not even found.
  std::vector<char> ansi(256, 'X');
  plat::GetPrivateProfileStringA("other", "keep", "none", ansi.data(), 255, plat::ToAnsi(path_).c_str());
  EXPECT_EQ(std::string(ansi.data()), "none");

  // Converting again changes nothing.
  ASSERT_TRUE(plat::ConvertProfileToUnicode(path_));
  EXPECT_EQ(ReadFileBytes(path_), expected);
}

// Whole files, for the forms the profile functions cannot read.
TEST_F(ProfileTest, WholeFilesReadAndReplaced) {
  EXPECT_EQ(plat::ReadProfileBytes(path_), std::string());  // missing: nothing in it
  EXPECT_FALSE(plat::ReadProfileBytes(TempDir() + u"\\absent\\Varnel.ini").has_value());
  const std::string utf8 = "\xEF\xBB\xBF[main]\r\npath=C:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\r\n";
  ASSERT_TRUE(plat::ReplaceProfileBytes(path_, utf8));
  EXPECT_EQ(plat::ReadProfileBytes(path_), utf8);
  ASSERT_TRUE(plat::ReplaceProfileBytes(path_, "[main]\r\n"));
  EXPECT_EQ(ReadFileBytes(path_), "[main]\r\n");
  EXPECT_FALSE(ReadFileBytes(path_ + u".new").has_value());
  EXPECT_FALSE(plat::ReplaceProfileBytes(TempDir() + u"\\absent\\Varnel.ini", utf8));
  EXPECT_FALSE(ReadFileBytes(TempDir() + u"\\absent\\Varnel.ini").has_value());
}

TEST_F(ProfileTest, ConvertingAMissingFileMakesAnEmptyUnicodeOne) {
  ASSERT_TRUE(plat::ConvertProfileToUnicode(path_));
  EXPECT_EQ(ReadFileBytes(path_), "\xFF\xFE");
  ASSERT_TRUE(WriteW(u"main", u"path", kFolder.c_str()));
  ASSERT_TRUE(Write("main", "open", "1"));
  EXPECT_EQ(ReadFileBytes(path_), Utf16File(u"[main]\r\npath=" + kFolder + u"\r\nopen=1\r\n"));
  EXPECT_EQ(Get("main", "path", ""), "C:\\???? ????");

  // Nothing can be made in a folder that is missing.
  EXPECT_FALSE(plat::ConvertProfileToUnicode(TempDir() + u"\\absent\\Varnel.ini"));
  EXPECT_FALSE(ReadFileBytes(TempDir() + u"\\absent\\Varnel.ini").has_value());
}

}  // namespace
