// The kernel32 file calls and the toolkit's file services: the same cases on
// the simulated platform and on Wine.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/file_write.h"
#include "platform/files.h"
#include "platform/long_path.h"
#include "platform/text.h"
#include "tests/contract/file_helpers.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::TempDir;
using plat::testing::WriteFileBytes;
using namespace varnel::testing;

class FileCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    path_ = TempDir() + u"\\shot.jpg";
    WriteFileBytes(path_, "12345");
  }
  std::int32_t KillError(const std::u16string& path) {
    try {
      plat::Kill(path);
    } catch (const plat::Error& e) {
      return e.number();
    }
    return 0;
  }
  static std::uint32_t Write(const std::u16string& path, const std::string& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    try {
      plat::WriteWholeFile(path,
                           {{data, bytes.size() / 2}, {data + bytes.size() / 2, bytes.size() - bytes.size() / 2}});
    } catch (const plat::Error& e) {
      EXPECT_EQ(e.number(), plat::kErrFileAccess);
      return e.lastDllError();
    }
    return 0;
  }
  std::u16string path_;
};

TEST_F(FileCallsTest, FindFirstFileDescribesTheFileOrReportsNothing) {
  auto d = Lookup(path_);
  ASSERT_TRUE(d);
  EXPECT_EQ(std::u16string(d->cFileName), u"shot.jpg");
  EXPECT_EQ(d->nFileSizeLow, 5u);
  EXPECT_EQ(d->nFileSizeHigh, 0u);
  EXPECT_EQ(d->dwFileAttributes & (plat::kFileAttributeDirectory | plat::kFileAttributeReadOnly), 0u);

  EXPECT_FALSE(Lookup(TempDir() + u"\\missing.jpg"));
  EXPECT_FALSE(Lookup(TempDir() + u"\\no folder\\shot.jpg"));
  // The last part of the name may hold wildcards.
  auto any = Lookup(TempDir() + u"\\*.JPG");
  ASSERT_TRUE(any);
  EXPECT_EQ(std::u16string(any->cFileName), u"shot.jpg");
  EXPECT_FALSE(Lookup(TempDir() + u"\\*.bmp"));
}

TEST_F(FileCallsTest, SetFileTimeChangesExactlyTheTimesGiven) {
  ASSERT_TRUE(Stamp(path_, kCreated, kAccessed, kWritten));
  auto d = Lookup(path_);
  ASSERT_TRUE(d);
  // Wine reports the last-write time as the creation time.
  EXPECT_EQ(d->ftCreationTime, plat::testing::UnderWine() ? kWritten : kCreated);
  EXPECT_EQ(d->ftLastAccessTime, kAccessed);
  EXPECT_EQ(d->ftLastWriteTime, kWritten);

  // No time, or a time of 0, leaves that time as it is.
  const plat::FileTime zero{0, 0};
  const plat::FileTime later = FileTimeAt(1100000000);
  const plat::Hfile f = plat::CreateFileW(path_.c_str(), plat::kGenericWrite, 0, plat::kOpenExisting, 0);
  ASSERT_NE(f, plat::kInvalidFile);
  EXPECT_TRUE(plat::SetFileTime(f, nullptr, &zero, &later));
  EXPECT_TRUE(plat::CloseHandle(f));
  d = Lookup(path_);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->ftCreationTime, plat::testing::UnderWine() ? later : kCreated);
  EXPECT_EQ(d->ftLastAccessTime, kAccessed);
  EXPECT_EQ(d->ftLastWriteTime, later);
  EXPECT_EQ(ReadFileBytes(path_), "12345");  // opening for writing keeps the bytes
}

TEST_F(FileCallsTest, ReadOnlyFileCannotBeDeleted) {
  const bool wine = plat::testing::UnderWine();
  const std::uint32_t wineArchive = wine ? plat::kFileAttributeArchive : 0;
  ASSERT_TRUE(SetAttributes(path_, plat::kFileAttributeReadOnly));
  auto d = Lookup(path_);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->dwFileAttributes, plat::kFileAttributeReadOnly | wineArchive);
  if (!wine) {  // Wine run as root opens it
    EXPECT_EQ(plat::CreateFileW(path_.c_str(), plat::kGenericWrite, 0, plat::kOpenExisting, 0), plat::kInvalidFile);
    EXPECT_EQ(Write(path_, "new"), static_cast<std::uint32_t>(plat::kErrorAccessDenied));
  }
  EXPECT_EQ(KillError(path_), plat::kErrFileAccess);
  EXPECT_EQ(ReadFileBytes(path_), "12345");

  ASSERT_TRUE(SetAttributes(path_, plat::kFileAttributeNormal));
  EXPECT_EQ(Lookup(path_)->dwFileAttributes, wine ? plat::kFileAttributeArchive : plat::kFileAttributeNormal);
  EXPECT_EQ(KillError(path_), 0);
  EXPECT_FALSE(Lookup(path_));
  EXPECT_FALSE(ReadFileBytes(path_));
}

TEST_F(FileCallsTest, KillRaisesWhenThereIsNothingToDelete) {
  EXPECT_EQ(KillError(TempDir() + u"\\missing.jpg"), plat::kErrFileNotFound);
  EXPECT_EQ(KillError(TempDir() + u"\\no folder\\shot.jpg"), plat::kErrPathNotFound);
  EXPECT_EQ(KillError(TempDir()), plat::kErrFileNotFound);  // a folder is not a file
  // No wildcards: the one file named, or nothing.
  EXPECT_NE(KillError(TempDir() + u"\\*.jpg"), 0);
  EXPECT_TRUE(ReadFileBytes(path_));
}

// Each refusal leaves Windows' own reason in GetLastError(): the capture
// tells the user why a file could not be saved from it.
TEST_F(FileCallsTest, RefusalsCarryWindowsErrorCodes) {
  const std::u16string missing = TempDir() + u"\\missing.jpg";
  const std::u16string inNoFolder = TempDir() + u"\\no folder\\shot.jpg";
  const plat::Hfile open = plat::CreateFileW(path_.c_str(), plat::kGenericWrite, 0, plat::kOpenExisting, 0);
  ASSERT_NE(open, plat::kInvalidFile);
  struct Row {
    const char* what;
    bool failed;
    std::uint32_t error;
  };
  auto attributes = [](const std::u16string& p) {
    return plat::GetFileAttributesW(p.c_str()) == plat::kInvalidFileAttributes;
  };
  auto create = [](const std::u16string& p, std::uint32_t how) {
    const plat::Hfile h = plat::CreateFileW(p.c_str(), plat::kGenericWrite, 0, how, 0);
    if (h != plat::kInvalidFile) plat::CloseHandle(h);
    return h == plat::kInvalidFile;
  };
  const std::vector<std::pair<Row, std::uint32_t>> rows = {
      {{"attributes of a missing file", attributes(missing), plat::GetLastError()}, 2},
      {{"attributes in a missing folder", attributes(inNoFolder), plat::GetLastError()}, 3},
      {{"open a missing file", create(missing, plat::kOpenExisting), plat::GetLastError()}, 2},
      {{"create in a missing folder", create(inNoFolder, plat::kCreateAlways), plat::GetLastError()}, 3},
      {{"create a name with |", create(TempDir() + u"\\a|b.jpg", plat::kCreateAlways), plat::GetLastError()}, 123},
      {{"open a file open elsewhere", create(path_, plat::kOpenExisting), plat::GetLastError()}, 32},
      {{"delete a file open elsewhere", !plat::DeleteFileW(path_.c_str()), plat::GetLastError()}, 32},
  };
  plat::CloseHandle(open);
  for (const auto& [row, expected] : rows) {
    EXPECT_TRUE(row.failed) << row.what;
    EXPECT_EQ(row.error, expected) << row.what;
  }
  EXPECT_EQ(ReadFileBytes(path_), "12345");
}

// CREATE_NEW makes a file only where none stands; one opened to go when
// closed leaves nothing behind.
TEST_F(FileCallsTest, NewFilesAndFilesThatGoWhenClosed) {
  EXPECT_EQ(plat::CreateFileW(path_.c_str(), plat::kGenericWrite, 0, plat::kCreateNew, 0), plat::kInvalidFile);
  EXPECT_EQ(plat::GetLastError(), plat::kErrorFileExists);
  EXPECT_EQ(ReadFileBytes(path_), "12345");
  const std::u16string probe = TempDir() + u"\\probe.tmp";
  const plat::Hfile h = plat::CreateFileW(probe.c_str(), plat::kGenericWrite, 0, plat::kCreateNew,
                                          plat::kFileAttributeNormal | plat::kFileFlagDeleteOnClose);
  ASSERT_NE(h, plat::kInvalidFile);
  EXPECT_TRUE(Lookup(probe));
  EXPECT_TRUE(plat::CloseHandle(h));
  EXPECT_FALSE(Lookup(probe));
}

// Whether the program may write a file: open an existing one, or make one
// in the folder of a missing one, leaving nothing behind.
TEST_F(FileCallsTest, WhetherAFileCanBeWritten) {
  EXPECT_TRUE(plat::CanWriteFile(path_));
  const std::u16string missing = TempDir() + u"\\Varnel.ini";
  EXPECT_TRUE(plat::CanWriteFile(missing));
  EXPECT_FALSE(Lookup(missing));
  EXPECT_FALSE(Lookup(missing + u".probe"));
  // A file under the probe's name (another copy's probe, say) is no answer.
  WriteFileBytes(missing + u".probe", "other");
  EXPECT_TRUE(plat::CanWriteFile(missing));
  EXPECT_EQ(ReadFileBytes(missing + u".probe"), "other");
  EXPECT_FALSE(Lookup(missing + u".probe1"));
  EXPECT_FALSE(plat::CanWriteFile(TempDir() + u"\\no folder\\Varnel.ini"));
  EXPECT_FALSE(plat::CanWriteFile(TempDir()));  // a folder
  if (!plat::testing::UnderWine()) {            // Wine run as root writes a read-only file
    ASSERT_TRUE(SetAttributes(path_, plat::kFileAttributeReadOnly));
    EXPECT_FALSE(plat::CanWriteFile(path_));
    ASSERT_TRUE(SetAttributes(path_, plat::kFileAttributeNormal));
  }
  EXPECT_EQ(ReadFileBytes(path_), "12345");  // looked at, not changed
}

// Two names of one file, as Windows resolves them.
TEST_F(FileCallsTest, SamePathAsWindowsResolvesIt) {
  const std::u16string folder = TempDir() + u"\\Program Files Long";
  plat::testing::MakeFolder(folder);
  const std::u16string exe = folder + u"\\Varnel.exe";
  WriteFileBytes(exe, "MZ");
  struct Row {
    std::u16string other;
    bool same;
  };
  const Row rows[] = {
      {exe, true},
      {plat::testing::ShortPathOf(exe), true},
      {TempDir() + u"\\PROGRAM FILES LONG\\.\\sub\\..\\varnel.EXE", true},
      {TempDir() + u"/Program Files Long//Varnel.exe", true},
      {folder + u"\\Varnel.exe.bak", false},
      {TempDir() + u"\\Varnel.exe", false},
      {u"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(plat::ToUtf8(row.other));
    EXPECT_EQ(plat::SamePath(row.other, exe), row.same);
  }
}

TEST_F(FileCallsTest, WholeFileWriteLeavesAllOrNothing) {
  const std::u16string fresh = TempDir() + u"\\fresh.bmp";
  EXPECT_EQ(Write(fresh, "picture bytes"), 0u);
  EXPECT_EQ(ReadFileBytes(fresh), "picture bytes");
  EXPECT_EQ(Write(fresh, "other"), 0u);  // replaced
  EXPECT_EQ(ReadFileBytes(fresh), "other");

  const std::u16string lost = TempDir() + u"\\no folder\\shot.bmp";
  EXPECT_EQ(Write(lost, "picture bytes"), 3u);  // raised with the system's code
  EXPECT_FALSE(plat::FileExists(lost));
  EXPECT_FALSE(plat::FolderExists(TempDir() + u"\\no folder"));
  EXPECT_TRUE(plat::FolderExists(TempDir()));
  EXPECT_FALSE(plat::FolderExists(fresh));  // a file is no folder
  EXPECT_TRUE(plat::FileExists(fresh));
}

// Names past 260 characters and outside any ANSI code page reach the system
// whole: in the long-path form, and as UTF-16.
TEST_F(FileCallsTest, LongAndNonAnsiNamesWork) {
  const std::u16string names[] = {
      TempDir() + u"\\" + std::u16string(250, u'n') + u".jpg",
      TempDir() + u"\\.\\sub\\..\\" + std::u16string(250, u'd') + u".jpg",  // resolved in the long-path form
      TempDir() + u"\\\u0421\u043d\u0438\u043c\u043e\u043a \u03b1\u03b2\u03b3.jpg",
  };
  for (const std::u16string& name : names) {
    SCOPED_TRACE(plat::ToUtf8(name));
    ASSERT_EQ(Write(name, "abc"), 0u);
    EXPECT_TRUE(plat::FileExists(name));
    EXPECT_EQ(plat::FileLen(name), 3);
    const std::u16string leaf = name.substr(name.find_last_of(u'\\') + 1);
    auto d = Lookup(plat::ForFileCall(name));
    ASSERT_TRUE(d);
    EXPECT_EQ(std::u16string(d->cFileName), leaf);
    EXPECT_EQ(KillError(name), 0);
    EXPECT_FALSE(plat::FileExists(name));
  }
  // Without the long-path form Windows refuses such a name; Wine does not.
  if (!plat::testing::UnderWine()) {
    const std::u16string raw = TempDir() + u"\\" + std::u16string(250, u'r') + u".jpg";
    EXPECT_EQ(plat::GetFileAttributesW(raw.c_str()), plat::kInvalidFileAttributes);
    EXPECT_EQ(plat::GetLastError(), plat::kErrorFilenameExcedRange);
  }
}

TEST(LongPathTest, AbsoluteLongPathsTakeTheLongFormResolved) {
  const std::u16string tail(250, u'x');
  struct Row {
    std::u16string in, out;
  } rows[] = {
      {u"C:\\Shots\\a.jpg", u"C:\\Shots\\a.jpg"},  // short: Windows resolves it itself
      {u"C:\\Shots\\" + tail, u"\\\\?\\C:\\Shots\\" + tail},
      {u"C:/Shots//./old/../" + tail, u"\\\\?\\C:\\Shots\\" + tail},
      {u"C:\\..\\" + tail, u"\\\\?\\C:\\" + tail},
      {u"\\\\server\\share\\" + tail, u"\\\\?\\UNC\\server\\share\\" + tail},
      {u"\\\\?\\C:\\" + tail, u"\\\\?\\C:\\" + tail},
      {u"Shots\\" + tail, u"Shots\\" + tail},  // relative: nothing to anchor it to
  };
  for (const Row& row : rows) EXPECT_EQ(plat::ForFileCall(row.in), row.out) << plat::ToUtf8(row.in.substr(0, 30));
}

}  // namespace
