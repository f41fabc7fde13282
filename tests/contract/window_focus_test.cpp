// The keyboard focus in the program's window, the same on the simulated
// platform and on Wine: a control that disables itself while it has the
// focus hands it to the default button instead of leaving the window
// without any; disabling another control leaves the focus where it is.
#include <gtest/gtest.h>

#include "platform/toolkit.h"
#include "tests/support/test_desktop.h"
#include "tests/support/test_support.h"

namespace {

TEST(WindowFocusTest, AClickedButtonThatDisablesAControlLeavesTheFocusInTheWindow) {
  struct Row {
    const char* what;
    const char16_t* disabled;  // by Apply's click
    const char16_t* focused;   // after it
  } rows[] = {{"Apply disables itself", u"Apply", u"OK"}, {"Apply disables another button", u"Other", u"Apply"}};
  const plat::testing::FrontWindowKeeper front;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    plat::testing::BeginTest();
    plat::FormDesign design{u"Window focus", 4500, 1000, {}};
    design.controls = {{u"OK", plat::ControlKind::Button, u"&OK", 120, 120, 1200, 315, 0},
                       {u"Apply", plat::ControlKind::Button, u"&Apply", 1500, 120, 1200, 315, 1},
                       {u"Other", plat::ControlKind::Button, u"O&ther", 2880, 120, 1200, 315, 2}};
    design.controls[0].isDefault = true;
    plat::Form form(design);
    auto& apply = form.Get<plat::Button>(u"Apply");
    apply.Click = [&] { form[row.disabled].SetEnabled(false); };
    form.Load();
    form.Show();
    plat::testing::ClickControl(form, u"Apply");
    EXPECT_FALSE(form[row.disabled].Enabled());
    EXPECT_TRUE(form[row.focused].Focused());
  }
}

}  // namespace
