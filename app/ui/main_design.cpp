#include "app/ui/main_design.h"

#include "app/file_formats.h"

namespace varnel {

plat::FormDesign MainDesign() {
  using K = plat::ControlKind;
  using A = plat::Align;
  plat::FormDesign d;
  d.caption = u"Varnel";
  d.clientWidth = 4275;
  d.clientHeight = 4875;
  auto add = [&](const char16_t* name, K kind, const char16_t* caption, int left, int top, int width, int height,
                 int tab, A align = A::Left) {
    plat::ControlDesign c{name, kind, caption, left, top, width, height, tab, align};
    d.controls.push_back(c);
    return &d.controls.back();
  };
  add(u"Label3", K::Label, u"Press Print Screen to capture the whole screen.", 120, 180, 4035, 195, 0, A::Center);
  add(u"Label4", K::Label, u"Press Alt and Print Screen to capture the current window.", 90, 420, 4095, 195, 1,
      A::Center);
  add(u"SetRunOnStartUp", K::CheckBox, u"Launch Varnel on Windows &start-up", 420, 840, 3465, 195, 2);
  add(u"Label1", K::Label, u"Capture &folder:", 120, 1260, 4035, 195, 3, A::Center);
  add(u"SetFolder", K::TextBox, u"", 120, 1500, 4035, 285, 4);
  add(u"Browse", K::Button, u"&Browse", 120, 1860, 1965, 315, 5);
  add(u"OpenFolder", K::Button, u"O&pen folder", 2190, 1860, 1965, 315, 6);
  // The row of formats starts 300 twips further left than it did with two,
  // so that three fit the window.
  add(u"Label5", K::Label, u"Capture fo&rmat:", 420, 2400, 1125, 195, 16, A::Right);
  // The formats' option buttons in one row, a gap of 75 twips apart, the
  // first selected; tab stops 14, 15, then after the row's label.
  constexpr int kFirstOption = 1620;
  int left = kFirstOption, tab = 14;
  for (const FileFormat& f : FileFormats()) {
    add(f.control, K::OptionButton, f.caption, left, 2400, f.optionWidth, 195, tab)->value =
        left == kFirstOption ? 1 : 0;
    left += f.optionWidth + 75;
    tab = tab == 15 ? 17 : tab + 1;
  }
  add(u"SetAutoOpen", K::CheckBox, u"A&utomatically open screenshot after saving", 480, 2820, 3375, 195, 7);
  // Each in its own row under the one above, at the same indent and step.
  add(u"SetNotice", K::CheckBox, u"Sho&w a notice after each capture", 480, 3180, 3375, 195, 8);
  add(u"SetScreen", K::CheckBox, u"Only the screen under the &mouse pointer", 480, 3540, 3375, 195, 9);
  add(u"OKButton", K::Button, u"&OK", 120, 3960, 1275, 315, 10)->isDefault = true;
  add(u"CancelButton", K::Button, u"&Cancel", 1500, 3960, 1275, 315, 11)->isCancel = true;
  add(u"ApplyButton", K::Button, u"&Apply", 2880, 3960, 1275, 315, 12)->enabled = false;
  add(u"Label2", K::Label, u"(Double-right-click on tray icon to exit)", 120, 4500, 4035, 195, 13, A::Center);
  return d;
}

}  // namespace varnel
