// The notification-area icon: its record, and the shell's reports to the
// owner turned into events.
#include <gtest/gtest.h>

#include <functional>

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
  // The icon in the notification area, version 4 set: the shell reports as
  // version 4 lays it out.
  void Added() {
    Ready();
    icon_.Add();
  }
  // The tip field, where the text and its padding stand.
  static std::u16string Tip(const plat::NotifyIconDataW& record) { return std::u16string(record.szTip, 128); }

  std::unique_ptr<plat::Form> form_;
  TrayIcon icon_;
  std::vector<std::string> events_;
};

TEST_F(TrayIconTest, AddHandsTheShellTheWideRecord) {
  Ready();
  icon_.Add();
  ASSERT_EQ(sim::TrayCalls().size(), 2u);
  const auto& call = sim::TrayCalls()[0];
  EXPECT_EQ(call.message, plat::kNimAdd);
  EXPECT_EQ(call.record.cbSize, sizeof(plat::NotifyIconDataW));
  EXPECT_EQ(call.record.hWnd, form_->hWnd());
  EXPECT_EQ(call.record.uID, 1u);
  EXPECT_EQ(call.record.uFlags, 0x87u);              // message, icon, tip, show the tip
  EXPECT_EQ(call.record.uCallbackMessage, 0x8001u);  // the program's own: WM_APP + 1
  EXPECT_EQ(plat::RawHandle(call.record.hIcon), form_->Icon()->handle());
  EXPECT_EQ(Tip(call.record), std::u16string(u"Varnel\0", 7) + std::u16string(121, u' '));
  EXPECT_EQ(icon_.State(), 1);
  EXPECT_TRUE(sim::TrayIconPresent());
  // Version 4, set after the add.
  EXPECT_EQ(sim::TrayCalls()[1].message, plat::kNimSetVersion);
  EXPECT_EQ(sim::TrayCalls()[1].record.uTimeout, plat::kNotifyIconVersion4);
  EXPECT_TRUE(sim::TrayCalls()[1].result);
  EXPECT_EQ(sim::TrayIconVersion(), 4u);
  EXPECT_EQ(sim::TrayTipShown(), u"Varnel");

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
  EXPECT_EQ(Tip(sim::TrayCalls()[0].record), std::u16string(1, u'\0') + std::u16string(127, u' '));
  EXPECT_EQ(icon_.Tooltip(), u"");

  // Version 4 shows 127 characters.
  const std::u16string t127(127, u'a');
  icon_.SetTooltip(t127);
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), t127 + u'\0');

  icon_.SetTooltip(std::u16string(160, u'b'));
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::u16string(127, u'b') + u'\0');
  EXPECT_EQ(icon_.Tooltip(), std::u16string(160, u'b'));
  EXPECT_EQ(sim::TrayTipShown(), std::u16string(127, u'b'));
}

TEST_F(TrayIconTest, NewTooltipReachesTheShellOnlyAtModify) {
  Ready();
  icon_.Add();
  icon_.SetTooltip(u"Other");
  EXPECT_EQ(sim::TrayCalls().size(), 2u);
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
  Added();
  for (std::uint32_t msg = 0x200; msg <= 0x209; ++msg) sim::ShellTrayMessage(msg);
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "Up1", "DblClick1", "Down2", "Up2", "DblClick2"}));
}

TEST_F(TrayIconTest, LeftDoubleClickSequence) {
  Added();
  for (std::uint32_t msg : {0x201u, 0x202u, 0x203u, 0x202u}) sim::ShellTrayMessage(msg);
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "Up1", "DblClick1", "Up1"}));
}

// A report about another icon of the same window raises nothing. (A
// real mouse movement over the window, which once passed for a report, is
// tried under Windows by the window's contract test.)
TEST_F(TrayIconTest, OnlyTheIconsOwnReportsRaiseEvents) {
  Added();
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
  EXPECT_EQ(shown.record.uFlags, 0x87u | plat::kNifInfo);
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
  EXPECT_EQ(sim::TrayCalls().back().record.uFlags, 0x87u);
}

TEST_F(TrayIconTest, NotificationDuringAnEventIsDropped) {
  Added();
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
  Added();
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

// Version 4's reports of each thing the user does on the icon, as its
// events: a single left click raises nothing of its own (NIN_SELECT), the
// keys raise theirs, and a right click asks for the menu only once the
// double-click time has passed without a second click.
TEST_F(TrayIconTest, EachGestureAsVersion4ReportsIt) {
  using G = sim::TrayGesture;
  struct Row {
    const char* what;
    G gesture;
    std::vector<std::string> atOnce, afterTheDoubleClickTime;
  };
  const Row rows[] = {
      {"left click", G::LeftClick, {"Down1", "Up1"}, {}},
      {"left double-click", G::LeftDoubleClick, {"Down1", "Up1", "DblClick1", "Up1"}, {}},
      {"right click", G::RightClick, {"Down2", "Up2"}, {"Menu mouse -5,1000"}},
      {"right double-click", G::RightDoubleClick, {"Down2", "Up2", "DblClick2", "Up2"}, {}},
      {"Enter or Space", G::EnterKey, {"KeySelect"}, {}},
      {"Shift+F10 or the menu key", G::MenuKey, {"Menu keyboard -5,1000"}, {}},
  };
  Added();
  icon_.KeySelect = [this] { events_.emplace_back("KeySelect"); };
  icon_.ContextMenu = [this](plat::Point at, bool keyboard) {
    events_.push_back(std::string("Menu ") + (keyboard ? "keyboard " : "mouse ") + std::to_string(at.x) + "," +
                      std::to_string(at.y));
  };
  constexpr int kTicks = static_cast<int>(sim::kDoubleClickMs / sim::kTickMs);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    events_.clear();
    sim::UserTrayGesture(row.gesture, {-5, 1000});  // a screen left of the main one
    EXPECT_EQ(events_, row.atOnce);
    sim::Tick(kTicks - 1);
    EXPECT_EQ(events_, row.atOnce);
    sim::Tick(2);
    std::vector<std::string> all = row.atOnce;
    all.insert(all.end(), row.afterTheDoubleClickTime.begin(), row.afterTheDoubleClickTime.end());
    EXPECT_EQ(events_, all);
  }
}

// Before version 4 is set the shell lays its reports out the old way,
// which version 4's reading takes for another icon's: the version follows
// every add, the one after the shell's restart included.
TEST_F(TrayIconTest, TheVersionFollowsEveryAdd) {
  Added();
  sim::ExplorerRestarts();  // no owner handler here: nothing adds it again
  EXPECT_EQ(sim::TrayIconVersion(), 0u);
  icon_.Add();
  EXPECT_EQ(sim::TrayIconVersion(), 4u);
  sim::UserTrayGesture(sim::TrayGesture::LeftDoubleClick);
  EXPECT_EQ(events_, (std::vector<std::string>{"Down1", "Up1", "DblClick1", "Up1"}));
}

// At sign-in the notification area may not be ready: a failed add is tried
// again every 2 s, a modify first (an add that timed out may have been
// taken), for up to 2 minutes.
TEST_F(TrayIconTest, AFailedAddIsTriedAgainUntilTheNotificationAreaTakesIt) {
  struct Row {
    const char* what;
    std::function<void()> arrange;
    bool addedAtOnce;
    std::size_t minAdds, maxAdds;
    bool present;
  };
  const Row rows[] = {
      {"ready", [] {}, true, 1, 1, true},
      {"fails twice, then takes it", [] { sim::InjectFault("Shell_NotifyIconW", 0, 3); }, false, 3, 3, true},
      {"taken, but answered too late", [] { sim::NextTrayAddTimesOut(); }, false, 1, 1, true},
      {"never ready", [] { sim::InjectFault("Shell_NotifyIconW", 0, 100000); }, false, 59, 61, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    plat::testing::BeginTest();
    plat::Form form(MainDesign());
    form.Load();
    TrayIcon icon;
    icon.SetOwnerForm(&form);
    icon.SetIcon(form.Icon());
    icon.SetTooltip(u"Varnel");
    row.arrange();
    EXPECT_EQ(icon.Add(), row.addedAtOnce);
    sim::Tick(static_cast<int>(180000 / sim::kTickMs));  // three minutes
    std::size_t adds = 0;
    for (const auto& call : sim::TrayCalls()) adds += call.message == plat::kNimAdd;
    EXPECT_GE(adds, row.minAdds);
    EXPECT_LE(adds, row.maxAdds);
    EXPECT_EQ(sim::TrayIconPresent(), row.present);
    EXPECT_EQ(sim::TrayIconVersion(), row.present ? 4u : 0u);
    if (row.present) {
      EXPECT_EQ(sim::TrayCalls().back().message, plat::kNimSetVersion);
    }
  }
}

// The menu the documented way: the owner in front before it opens, a
// message posted to it after, the focus handed back to the notification
// area when a menu opened from the keyboard is left; destroyed every time.
TEST_F(TrayIconTest, TheMenuFollowsTheDocumentedSteps) {
  using A = sim::MenuAnswer::Kind;
  struct Row {
    const char* what;
    bool fromKeyboard;
    sim::MenuAnswer answer;
    std::uint32_t chosen;
    bool focusBack;
  };
  const Row rows[] = {
      {"chosen with the mouse", false, {A::Choose, u"&Beta"}, 2, false},
      {"chosen from the keyboard", true, {A::Choose, u"&Alpha"}, 1, false},
      {"left with Escape, opened from the keyboard", true, {A::Escape, u""}, 0, true},
      {"left by a click elsewhere, opened by the mouse", false, {A::ClickElsewhere, u""}, 0, false},
      {"a greyed item cannot be chosen", false, {A::Choose, u"&Gamma"}, 0, false},
  };
  Added();
  const TrayIcon::MenuItem items[] = {{1, u"&Alpha"}, {2, u"&Beta"}, {0, u""}, {3, u"&Gamma", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sim::AnotherProgramInFront();
    sim::ShellTrayMessage(plat::kWmContextMenu);  // input to the icon lets its owner come forward
    sim::ClearCalls();
    sim::QueueMenuAnswer(row.answer);
    const std::size_t focus = sim::TrayFocusReturns();
    EXPECT_EQ(icon_.ShowMenu({30, 700}, items, 1, row.fromKeyboard), row.chosen);
    std::vector<std::string> steps = {"CreatePopupMenu()",
                                      "AppendMenuW(1)",
                                      "AppendMenuW(2)",
                                      "AppendMenuW(0)",
                                      "AppendMenuW(3)",
                                      "SetMenuDefaultItem(1)",
                                      "SetForegroundWindow: granted",
                                      "TrackPopupMenuEx(30,700)",
                                      "PostMessageW(0)"};
    if (row.focusBack) steps.emplace_back("Shell_NotifyIconW(3)");
    steps.emplace_back("DestroyMenu()");
    EXPECT_EQ(sim::Calls(), steps);
    EXPECT_EQ(sim::TrayFocusReturns() - focus, row.focusBack ? 1u : 0u);
    EXPECT_EQ(sim::LiveMenus(), 0u);
    const sim::MenuShown& shown = sim::MenusShown().back();
    EXPECT_TRUE(shown.ownerInFront);
    EXPECT_EQ(shown.defaultId, 1u);
    EXPECT_EQ(shown.at, (plat::Point{30, 700}));
    EXPECT_NE(shown.flags & plat::kTpmReturnCmd, 0u);
    ASSERT_EQ(shown.items.size(), 4u);
    EXPECT_TRUE(shown.items[3].grayed);
    EXPECT_FALSE(shown.items[0].grayed);
  }
}

}  // namespace
}  // namespace varnel
