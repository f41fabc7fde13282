// The notification-area icon: its record, and the decoding of the owner's
// mouse-move notifications into events.
#include <gtest/gtest.h>

#include <cstring>

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
  static std::string Tip(const std::vector<std::uint8_t>& record) {
    return std::string(record.begin() + 24, record.begin() + 88);
  }
  static std::uint32_t U32(const std::vector<std::uint8_t>& r, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, r.data() + at, 4);
    return v;
  }

  std::unique_ptr<plat::Form> form_;
  TrayIcon icon_;
  std::vector<std::string> events_;
};

TEST_F(TrayIconTest, AddHandsTheShellThe88ByteRecord) {
  Ready();
  icon_.Add();
  ASSERT_EQ(sim::TrayCalls().size(), 1u);
  const auto& call = sim::TrayCalls()[0];
  EXPECT_EQ(call.message, plat::kNimAdd);
  ASSERT_EQ(call.record.size(), 88u);
  EXPECT_EQ(U32(call.record, 0), 88u);                             // cbSize
  EXPECT_EQ(U32(call.record, 4), plat::RawHandle(form_->hWnd()));  // hWnd
  EXPECT_EQ(U32(call.record, 8), 1u);                              // uID
  EXPECT_EQ(U32(call.record, 12), 7u);                             // message, icon, tip
  EXPECT_EQ(U32(call.record, 16), 0x200u);                         // WM_MOUSEMOVE
  EXPECT_EQ(U32(call.record, 20), form_->Icon()->handle());        // hIcon
  EXPECT_EQ(Tip(call.record), std::string("Varnel\0", 7) + std::string(57, ' '));
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
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::string(1, '\0') + std::string(63, ' '));
  EXPECT_EQ(icon_.Tooltip(), u"");

  const std::u16string t63(63, u'a');
  icon_.SetTooltip(t63);
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::string(63, 'a') + std::string(1, '\0'));

  icon_.SetTooltip(std::u16string(80, u'b'));
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record), std::string(63, 'b') + std::string(1, '\0'));
  EXPECT_EQ(icon_.Tooltip(), std::u16string(80, u'b'));
}

TEST_F(TrayIconTest, NewTooltipReachesTheShellOnlyAtModify) {
  Ready();
  icon_.Add();
  icon_.SetTooltip(u"Other");
  EXPECT_EQ(sim::TrayCalls().size(), 1u);
  // The record the shell gets keeps the old text until Modify fills it anew.
  icon_.Remove();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record).substr(0, 7), std::string("Varnel\0", 7));
  icon_.Modify();
  EXPECT_EQ(Tip(sim::TrayCalls().back().record).substr(0, 6), std::string("Other\0", 6));
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
  EXPECT_EQ(U32(sim::TrayCalls()[0].record, 0), 0u);
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

TEST_F(TrayIconTest, RealMovementsOverTheWindow) {
  Ready();
  sim::MouseMovePixels(0x203, 5);  // Y not 0: nothing raised
  EXPECT_TRUE(events_.empty());
  sim::MouseMovePixels(40, 0);  // top row, outside 513..518
  EXPECT_TRUE(events_.empty());
  sim::MouseMovePixels(515, 0);  // top row at 515: decoded like a report
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick1"});
}

TEST_F(TrayIconTest, TwipsAreTurnedBackIntoPixels) {
  // 120 dots per inch: 12 twips a pixel.
  sim::SetTwipsPerPixel(12, 12);
  Ready();
  sim::ShellTrayMessage(0x206);
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick2"});
  // Halfway values round to even: 514.5 is 514 (left up, not 515's double
  // click), 515.5 is 516 (right down, not 515's double click).
  events_.clear();
  form_->NotifyMouseMove(0, 0, 12 * 514.5f, 0);
  form_->NotifyMouseMove(0, 0, 12 * 515.5f, 0);
  EXPECT_EQ(events_, (std::vector<std::string>{"Up1", "Down2"}));
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
  form_->NotifyMouseMove(0, 0, 15 * 0x203, 0);
  EXPECT_TRUE(events_.empty());
  other.NotifyMouseMove(0, 0, 15 * 0x203, 0);
  EXPECT_EQ(events_, std::vector<std::string>{"DblClick1"});
  icon_.SetOwnerForm(nullptr);
}

}  // namespace
}  // namespace varnel
