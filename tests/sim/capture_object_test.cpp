// The capture on its own, without a window: Windows' reports fed in by
// hand, its timer run by the test, and what it reports read back.
#include "app/capture.h"

#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

using Kind = Capture::Report::Kind;

class CaptureObjectTest : public CaptureTest {
 public:  // the table's steps take the fixture
  // The capture with the settings in force, watching the keyboard and the
  // clipboard as Windows allows.
  void Make(const char* folder = "C:\\Shots") {
    settings_.CaptureFolder = plat::FromUtf8(folder);
    settings_.CaptureFormat = FormatCode(u"JPG");
    reports_.clear();
    capture_ = std::make_unique<Capture>(
        settings_, Capture::Host{[this](std::uint32_t ms) { timerMs_ = ms; }, [this] { timerMs_ = 0; },
                                 [this](const Capture::Report& r) { reports_.push_back(r); }});
    capture_->Watch(true, true);
  }
  // Print Screen's key as a keyboard sends it.
  void Key(bool down) {
    capture_->RawKey({plat::kVkSnapshot, down, plat::kScanPrintScreen, plat::kRiKeyE0, plat::GetTickCount()});
  }
  void Picture() {
    PutPictureOnClipboard(8, 8);
    capture_->ClipboardUpdate(plat::GetTickCount());
  }
  // `ms` pass, with the ticks of the timer the capture asked for.
  void Pass(std::uint32_t ms) {
    for (std::uint32_t t = 0, last = 0; t < ms; t += sim::kTickMs) {
      sim::AdvanceTickCount(sim::kTickMs);
      if (timerMs_ != 0 && t + sim::kTickMs - last >= timerMs_) {
        last = t + sim::kTickMs;
        capture_->Tick();
      }
    }
  }
  std::vector<Kind> Kinds() const {
    std::vector<Kind> kinds;
    for (const auto& r : reports_) kinds.push_back(r.kind);
    return kinds;
  }

  Settings settings_;
  std::unique_ptr<Capture> capture_;
  std::vector<Capture::Report> reports_;
  std::uint32_t timerMs_ = 0;
};

// Each press ends in one report, once its capture is over, and no timer
// runs once the memory kept for a burst is given back.
TEST_F(CaptureObjectTest, EachPressIsReportedOnceAndLeavesNoTimer) {
  struct Row {
    const char* what;
    const char* folder;
    bool snipping;
    std::function<void(CaptureObjectTest&)> steps;
    std::vector<Kind> reports;
  } rows[] = {
      {"picture there at the release",
       "C:\\Shots",
       false,
       [](CaptureObjectTest& t) {
         t.Picture();
         t.Key(true);
         t.Key(false);
       },
       {Kind::Saved}},
      {"key held and repeated",
       "C:\\Shots",
       false,
       [](CaptureObjectTest& t) {
         t.Picture();
         for (int i = 0; i < 5; ++i) t.Key(true);
         t.Key(false);
       },
       {Kind::Saved}},
      {"no picture within the second",
       "C:\\Shots",
       false,
       [](CaptureObjectTest& t) {
         t.Key(true);
         t.Key(false);
         t.Pass(1100);
       },
       {Kind::NoNewPicture}},
      {"folder missing",
       "C:\\Gone",
       false,
       [](CaptureObjectTest& t) {
         t.Picture();
         t.Key(true);
         t.Key(false);
       },
       {Kind::NoFolder}},
      {"snip after 5 s",
       "C:\\Shots",
       true,
       [](CaptureObjectTest& t) {
         t.Key(true);
         t.Key(false);
         t.Pass(5000);
         t.Picture();
       },
       {Kind::SnipAwaited, Kind::Saved}},
      {"snip given up",
       "C:\\Shots",
       true,
       [](CaptureObjectTest& t) {
         t.Key(true);
         t.Key(false);
         t.Pass(61000);
       },
       {Kind::SnipAwaited}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    if (row.snipping)
      sim::SetRawValue(plat::kHKeyCurrentUser, "Control Panel\\Keyboard", "PrintScreenKeyForSnippingEnabled",
                       {plat::kRegDword, {1, 0, 0, 0}});
    Make(row.folder);
    row.steps(*this);
    EXPECT_EQ(Kinds(), row.reports);
    Pass(10000);  // the memory kept for a burst goes
    EXPECT_EQ(timerMs_, 0u);
    EXPECT_FALSE(capture_->KeyWasDown());
    if (!reports_.empty() && reports_.back().kind == Kind::Saved) {
      EXPECT_EQ(reports_.back().file, u"C:\\Shots\\2026-03-02-14-05-07.jpg");
      EXPECT_EQ(ShotFiles(), std::vector<std::string>{"2026-03-02-14-05-07.jpg"});
    }
  }
}

}  // namespace
}  // namespace varnel::testing
