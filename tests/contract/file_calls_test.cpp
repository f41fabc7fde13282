// The kernel32 file calls and the toolkit's file deletion: the same cases on
// the simulated platform and on Wine.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/test_support.h"
#include "platform/text.h"
#include "platform/toolkit.h"
#include "tests/contract/file_helpers.h"

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
  std::u16string path_;
};

TEST_F(FileCallsTest, FindFirstFileDescribesTheFileOrReportsNothing) {
  auto d = Lookup(path_);
  ASSERT_TRUE(d);
  EXPECT_STREQ(d->cFileName, "shot.jpg");
  EXPECT_EQ(d->nFileSizeLow, 5u);
  EXPECT_EQ(d->nFileSizeHigh, 0u);
  EXPECT_EQ(d->dwFileAttributes & (plat::kFileAttributeDirectory | plat::kFileAttributeReadOnly), 0u);

  EXPECT_FALSE(Lookup(TempDir() + u"\\missing.jpg"));
  EXPECT_FALSE(Lookup(TempDir() + u"\\no folder\\shot.jpg"));
  // The last part of the name may hold wildcards.
  auto any = Lookup(TempDir() + u"\\*.JPG");
  ASSERT_TRUE(any);
  EXPECT_STREQ(any->cFileName, "shot.jpg");
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
  EXPECT_EQ(plat::_lopen(plat::ToAnsi(TempDir() + u"\\missing.jpg").c_str(), plat::kOfWrite), plat::kHFileError);
  const plat::HFile f = plat::_lopen(plat::ToAnsi(path_).c_str(), plat::kOfWrite);
  ASSERT_NE(f, plat::kHFileError);
  EXPECT_TRUE(plat::SetFileTime(plat::HandleOf(f), nullptr, &zero, &later));
  EXPECT_EQ(plat::_lclose(f), 0);
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
    EXPECT_EQ(plat::_lopen(plat::ToAnsi(path_).c_str(), plat::kOfWrite), plat::kHFileError);
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

}  // namespace
