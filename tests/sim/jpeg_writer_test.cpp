// The JPEG file writer on the simulated platform: failures of the library
// on request, the calls made in order, and the record released on every
// way out.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/sim/sim.h"
#include "tests/support/test_support.h"

namespace {

using plat::testing::ReadFileBytes;
using plat::testing::WriteFileBytes;
using varnel::cDIBSection;
using varnel::mIntelJPEGLibrary::SaveDibAsJpeg;

constexpr char kName[] = "C:\\Shots\\2024-05-06-07-08-09.jpg";
constexpr char16_t kPath[] = u"C:\\Shots\\2024-05-06-07-08-09.jpg";

class SimJpegWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    sim::SetApp(u"C:\\Tools", u"Varnel");
    std::filesystem::create_directories(sim::HostPath("C:\\Shots"));
    ASSERT_TRUE(dib_.Create(5, 3));
  }
  void TearDown() override {
    // Every initialised record was released, and no handle is left open.
    EXPECT_EQ(sim::CountCalls("ijlFree"), sim::CountCalls("ijlInit") - initFaults_);
    EXPECT_EQ(sim::OpenFindHandles(), 0u);
    EXPECT_EQ(sim::OpenFileHandles(), 0u);
  }
  plat::Error Save() {
    try {
      EXPECT_TRUE(SaveDibAsJpeg(dib_, kPath, 90));
    } catch (const plat::Error& e) {
      return e;
    }
    return plat::Error(0, {}, {});
  }
  void ExistingFile() {
    WriteFileBytes(kPath, "an older capture");
    const plat::FileTime t{0x12345678, 0x01C00000};
    const plat::Hfile f = plat::CreateFileW(kPath, plat::kGenericWrite, 0, plat::kOpenExisting, 0);
    ASSERT_TRUE(plat::SetFileTime(f, &t, &t, &t));
    plat::CloseHandle(f);
    ASSERT_TRUE(plat::SetFileAttributesW(kPath, plat::kFileAttributeHidden));
    before_ = *sim::FileInfo(kName);
    sim::ClearCalls();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& c : sim::Calls()) out.push_back(c.substr(0, c.find('(')));
    return out;
  }

  cDIBSection dib_;
  sim::FileMeta before_{};
  std::size_t initFaults_ = 0;
};

TEST_F(SimJpegWriterTest, ReplacingAFileMakesTheCallsInOrder) {
  ExistingFile();
  ASSERT_EQ(Save().number(), 0);
  const std::vector<std::string> expected = {
      "ijlInit",     "FindFirstFileW", "FindClose",   "GetFileAttributesW", "DeleteFileW",
      "ijlWrite",    "CreateFileW",    "WriteFile",   "CloseHandle",  // the new file, written whole
      "CreateFileW", "SetFileTime",    "CloseHandle", "SetFileAttributesW", "ijlFree"};
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(sim::Calls()[9], std::string("CreateFileW(") + kName + ",3)");  // the one that now stands there
  EXPECT_EQ(sim::Calls()[12], std::string("SetFileAttributesW(") + kName + ",2)");
  const auto after = sim::FileInfo(kName);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->creation.dwLowDateTime, before_.creation.dwLowDateTime);
  EXPECT_EQ(after->lastWrite.dwHighDateTime, before_.lastWrite.dwHighDateTime);
  EXPECT_EQ(after->attributes, plat::kFileAttributeHidden);
}

TEST_F(SimJpegWriterTest, RecordDescribesTheBufferBottomUp) {
  // Widths 1 to 5 pad their lines with 1, 2, 3, 0 and 1 bytes.
  const int pads[] = {1, 2, 3, 0, 1};
  for (int w = 1; w <= 5; ++w) {
    ASSERT_TRUE(dib_.Create(w, 3));
    sim::ClearCalls();
    ASSERT_EQ(Save().number(), 0);
    const std::string want = "ijlWrite(8," + std::string(kName) + ",DIB " + std::to_string(w) + "x-3 pad " +
                             std::to_string(pads[w - 1]) + ",JPG " + std::to_string(w) + "x3 q 90)";
    const auto& calls = sim::Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), want), calls.end()) << want;
  }
}

TEST_F(SimJpegWriterTest, InitFailureRaisesAndTouchesNoFile) {
  ExistingFile();
  sim::InjectFault("ijlInit", -5);
  initFaults_ = 1;
  const plat::Error e = Save();
  EXPECT_EQ(e.number(), 26001);
  EXPECT_EQ(e.description(), u"Failed to initialise the IJL library: -5");
  EXPECT_EQ(e.source(), u"Varnel.mIntelJPEGLibrary");
  EXPECT_EQ(Names(), std::vector<std::string>{"ijlInit"});
  EXPECT_EQ(ReadFileBytes(kPath), "an older capture");
  EXPECT_EQ(sim::FileInfo(kName)->attributes, plat::kFileAttributeHidden);
}

TEST_F(SimJpegWriterTest, WriteFailureRaisesAfterTheOldFileIsDeleted) {
  ExistingFile();
  sim::InjectFault("ijlWrite", -23);
  const plat::Error e = Save();
  EXPECT_EQ(e.number(), 26001);
  EXPECT_EQ(e.description(), u"Failed to save to JPG -23");
  EXPECT_EQ(e.source(), u"Varnel.mIntelJPEGLibrary");
  EXPECT_FALSE(ReadFileBytes(kPath));
  EXPECT_EQ(sim::CountCalls("SetFileTime"), 0u);
}

TEST_F(SimJpegWriterTest, WriteBrokenOffHalfWayLeavesNoPartialFile) {
  ExistingFile();
  sim::InjectFault("WriteFile", 112);  // ERROR_DISK_FULL
  const plat::Error e = Save();
  EXPECT_EQ(e.number(), 26001);
  EXPECT_EQ(e.description(), u"Failed to save to JPG -23");  // IJL_FILE_ERROR
  EXPECT_EQ(e.lastDllError(), 112u);                         // and why
  EXPECT_FALSE(ReadFileBytes(kPath));
  EXPECT_FALSE(sim::FileInfo(kName));
}

TEST_F(SimJpegWriterTest, DeletionFailurePassesThroughBeforeAnythingIsWritten) {
  ExistingFile();
  sim::InjectFault("DeleteFileW", 0);
  EXPECT_EQ(Save().number(), plat::kErrFileAccess);
  EXPECT_EQ(sim::CountCalls("ijlWrite"), 0u);
  EXPECT_EQ(ReadFileBytes(kPath), "an older capture");
}

TEST_F(SimJpegWriterTest, NewFileThatCannotBeOpenedKeepsItsOwnTimes) {
  ExistingFile();
  sim::InjectFault("CreateFileW", 0, 1, 1);  // the second: opening the written file for its times
  ASSERT_EQ(Save().number(), 0);
  EXPECT_EQ(sim::CountCalls("SetFileTime"), 0u);
  EXPECT_EQ(sim::CountCalls("SetFileAttributesW"), 0u);
  EXPECT_EQ(sim::FileInfo(kName)->attributes, plat::kFileAttributeArchive);
}

}  // namespace
