// The notification-area icon: its record, and the shell's reports to the
// owner turned into events.
#include <gtest/gtest.h>

#include "app/ui/main_design.h"
#include "platform/error.h"
#include "platform/sim/sim.h"
#include "shell/tray_icon.h"
#include "tests/support/test_support.h"

namespace varnel {
namespace {

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    form_ = std::make_unique<plat::Form>(MainDesign());
    form_->Load();
    for (auto* e : {&icon_.MouseDown, &icon_.MouseUp, &icon_.MouseDblClick}) {
      const char* name = e == &icon_.MouseDown ? "Down" : e == &icon_.MouseUp ? "Up" : "DblClick";
      *e = [this, name](std::int16_t b) { events_.push_back(std::string(name) + std::to_string(b)); };
    }
  }
  void Ready(const std::u16string& tip = u"Varnel") {
    icon_.SetOwnerForm(form_.get());
    icon_.SetIcon(form_->Icon());
    icon_.SetTooltip(tip);
  }
  // The tip field's first 64 characters, where the text and its padding stand.
  static std::u16string Tip(const plat::NotifyIconDataW& record) { return std::u16string(record.szTip, 64); }

  std::unique_ptr<plat::Form> form_;
  TrayIcon icon_;
  std::vector<std::string> events_;
};

TEST_F(TrayIconTest, AddHandsTheShellTheWideRecord) {
  Ready();
  icon_.Add();
  ASSERT_EQ(sim::TrayCalls().size(), 1u);
  const auto& call = sim::TrayCalls()[0];
  EXPECT_EQ(call.message, plat::kNimAdd);
  EXPECT_EQ(call.record.cbSize, sizeof(plat::NotifyIconDataW));
  EXPECT_EQ(call.record.hWnd, form_->hWnd());
  EXPECT_EQ(call.record.uID, 1u);
  EXPECT_EQ(call.record.uFlags, 7u);                 // message, icon, tip
  EXPECT_EQ(call.record.uCallbackMessage, 0x8001u);  // the program's own: WM_APP + 1
  EXPECT_EQ(plat::RawHandle(call.record.hIcon), form_->Icon()->handle());
  EXPECT_EQ(Tip(call.record), std::u16string(u"Varnel\0", 7) + std::u16string(57, u' '));
  EXPECT_EQ(icon_.State(), 1);
  EXPECT_TRUE(sim::TrayIconPresent());

  icon_.Modify();
  EXPECT_EQ(icon_.State(), 2);
  icon_.Remove();
  EXPECT_EQ(icon_.State(), 0);
  EXPECT_FALSE(sim::TrayIconPresent());
  EXPECT_EQ(sim::TrayCalls().back().message, plat::kNimDelete);
}

TEST_F(TrayIconTest, TooltipField) {
  Ready(u"");
  icon_.Add();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::u16string(1, u'\0') + std::u16string(63, u' '));
  EXPECT_EQ(icon_.Tooltip(), u"");

  const std::u16string t63(63, u'a');
  icon_.SetTooltip(t63);
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), t63 + u'\0');

  icon_.SetTooltip(std::u16string(80, u'b'));
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::u16string(63, u'b') + u'\0');
  EXPECT_EQ(icon_.Tooltip(), std::u16string(80, u'b'));
}

TEST_F(TrayIconTest, NewTooltipReachesTheShellOnlyAtModify) {
  Ready();
  icon_.Add();
  icon_.SetTooltip(u"Other");
  EXPECT_EQ(sim::TrayCalls().size(), 1u);
  // The record the shell gets keeps the old text until Modify fills it anew.
  icon_.Remove();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record).substr(0, 7), std::u16string(u"Varnel\0", 7));
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record).substr(0, 6), std::u16string(u"Other\0", 6));
}

TEST_F(TrayIconTest, MissingReferencesFailBeforeTheShellIsCalled) {
  TrayIcon bare;
  try {
    bare.Add();
    ADD_FAILURE() << "Add without owner or icon must fail";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrObjectNotSet);
  }
  bare.SetOwnerForm(form_.get());
  EXPECT_THROW(bare.Modify(), plat::Error);
  EXPECT_EQ(bare.State(), 0);
  EXPECT_TRUE(sim::TrayCalls().empty());

  // A tooltip never assigned cannot be read.
  try {
    (void)bare.Tooltip();
    ADD_FAILURE() << "reading an unassigned tooltip must fail";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrInvalidArgument);
  }
}

TEST_F(TrayIconTest, RemoveOfAnIconNeverAddedSendsAZeroedRecord) {
  Ready();
  icon_.Remove();
  ASSERT_EQ(sim::TrayCalls().size(), 1u);
  EXPECT_EQ(sim::TrayCalls()[0].record.cbSize, 0u);
  EXPECT_FALSE(sim::TrayCalls()[0].result);
  EXPECT_EQ(icon_.State(), 0);
}

TEST_F(TrayIconTest, DecodingTable) {
  Ready();
  for (std::uint32_t msg = 0x200; msg <= 0x209; ++msg) sim::ShellTrayMessage(msg);
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "Up1", "DblClick1", "Down2", "Up2", "DblClick2"}));
}

TEST_F(TrayIconTest, LeftDoubleClickSequence) {
  Ready();
  for (std::uint32_t msg : {0x201u, 0x202u, 0x203u, 0x202u}) sim::ShellTrayMessage(msg);
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "Up1", "DblClick1", "Up1"}));
}

// A report about another icon of the same window raises nothing. (A
// real mouse movement over the window, which once passed for a report, is
// tried under Windows by the window's contract test.)
TEST_F(TrayIconTest, OnlyTheIconsOwnReportsRaiseEvents) {
  Ready();
  form_->NotifyTray(2, plat::kWmRButtonDblClk);
  EXPECT_TRUE(events_.empty());
  sim::ShellTrayMessage(plat::kWmRButtonDblClk);
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick2"});
}

TEST_F(TrayIconTest, BalloonIsShownAndItsClickReported) {
  Ready();
  icon_.Add();
  int clicks = 0;
  icon_.BalloonClick = [&] { ++clicks; };
  icon_.ShowBalloon(u"Varnel", std::u16string(300, u'x'));
  const auto& shown = sim::TrayCalls().back();
  EXPECT_EQ(shown.message, plat::kNimModify);
  EXPECT_EQ(shown.record.uFlags, 7u | plat::kNifInfo);
  EXPECT_EQ(std::u16string(shown.record.szInfoTitle), u"Varnel");
  EXPECT_EQ(std::u16string(shown.record.szInfo), std::u16string(255, u'x'));  // cut to its field
  EXPECT_EQ(shown.record.dwInfoFlags, plat::kNiifInfo);
  EXPECT_EQ(icon_.State(), 2);
  sim::ShellTrayMessage(plat::kNinBalloonShow);
  EXPECT_EQ(clicks, 0);
  sim::ShellTrayMessage(plat::kNinBalloonUserClick);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(events_.empty());
  // The next Modify shows no balloon again.
  icon_.Modify();
  EXPECT_EQ(sim::TrayCalls().back().record.uFlags, 7u);
}

TEST_F(TrayIconTest, NotificationDuringAnEventIsDropped) {
  Ready();
  icon_.MouseDown = [this](std::int16_t b) {
    events_.push_back("Down" + std::to_string(b));
    sim::ShellTrayMessage(0x203);  // arrives through a nested message loop
  };
  sim::ShellTrayMessage(0x201);
  EXPECT_EQ(events_, std::vector<std::string>{"Down1"});
  sim::ShellTrayMessage(0x203);  // once the event is over, heard again
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "DblClick1"}));
}

TEST_F(TrayIconTest, FailingHandlerDoesNotDeafenTheIcon) {
  Ready();
  icon_.MouseUp = [](std::int16_t) { plat::Raise(plat::kErrInvalidArgument); };
  EXPECT_THROW(sim::ShellTrayMessage(0x202), plat::Error);
  sim::ShellTrayMessage(0x203);
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick1"});
}

TEST_F(TrayIconTest, OwnerChangeMovesTheSubscription) {
  Ready();
  plat::Form other(MainDesign());
  icon_.SetOwnerForm(&other);
  form_->NotifyTray(1, plat::kWmLButtonDblClk);
  EXPECT_TRUE(events_.empty());
  other.NotifyTray(1, plat::kWmLButtonDblClk);
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick1"});
  icon_.SetOwnerForm(nullptr);
}

}  // namespace
}  // namespace varnel
