#include "platform/toolkit.h"

#include "platform/error.h"

namespace plat {

namespace {
// value * numerator / denominator, rounded to the nearest, halves away
// from zero, as MulDiv rounds.
int Scale(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>((product < 0 ? product - half : product + half) / denominator);
}
}  // namespace

int DesignPixels(int twips, int dpi) { return Scale(twips, dpi, 1440); }
int DesignFontHeight(int dpi) { return -Scale(8, dpi, 72); }

Control::Control(Form& form, int index, const ControlDesign& design) : form_(form), index_(index), design_(design) {}

int Control::Value() const { return form_.peer().GetValue(index_); }

void Control::SetValue(int value) {
  if (design_.kind == ControlKind::OptionButton && value != 0) {
    // Selecting one option button clears the others, without a click.
    for (auto& other : form_.controls()) {
      if (other.get() != this && other->design_.kind == ControlKind::OptionButton)
        form_.peer().SetValue(other->index_, 0);
    }
    value = 1;
  }
  form_.peer().SetValue(index_, value);
  if (design_.kind == ControlKind::CheckBox || design_.kind == ControlKind::OptionButton) form_.NotifyClick(index_);
}

std::u16string Control::Text() const { return form_.peer().GetText(index_); }
void Control::SetText(const std::u16string& text) { form_.peer().SetText(index_, text); }
bool Control::Enabled() const { return form_.peer().GetEnabled(index_); }
void Control::SetEnabled(bool enabled) {
  // Windows takes the focus from a control it disables and gives it to
  // nothing: Tab would then do nothing, and Wine hands the keyboard's raw
  // input to no program at all while the window is in front.
  if (!enabled && Focused()) {
    int to = -1;
    for (const auto& c : form_.controls())
      if (c->design_.isDefault && c.get() != this && c->Enabled()) to = c->index_;
    form_.peer().Focus(to);
  }
  form_.peer().SetEnabled(index_, enabled);
}
bool Control::Focused() const { return form_.peer().FocusedControl() == index_; }

namespace {

std::unique_ptr<Control> MakeControl(Form& form, int index, const ControlDesign& design) {
  switch (design.kind) {
    case ControlKind::Label: return std::make_unique<Label>(form, index, design);
    case ControlKind::CheckBox: return std::make_unique<CheckBox>(form, index, design);
    case ControlKind::OptionButton: return std::make_unique<OptionButton>(form, index, design);
    case ControlKind::TextBox: return std::make_unique<TextBox>(form, index, design);
    case ControlKind::Button: return std::make_unique<Button>(form, index, design);
  }
  Raise(kErrInvalidArgument);
}

}  // namespace

Form::Form(const FormDesign& design) : design_(design) {
  for (std::size_t i = 0; i < design_.controls.size(); ++i)
    controls_.push_back(MakeControl(*this, static_cast<int>(i), design_.controls[i]));
  peer_ = CreateFormPeer(*this, design_);
  icon_ = std::make_shared<Picture>(peer_->IconHandle(), Picture::Type::Icon, false);
  smallIcon_ = std::make_shared<Picture>(peer_->SmallIconHandle(), Picture::Type::Icon, false);
}

Form::~Form() = default;

Control& Form::operator[](std::u16string_view name) {
  for (auto& c : controls_)
    if (c->name() == name) return *c;
  Raise(kErrObjectNotSet);
}

Control& Form::Find(std::u16string_view name, ControlKind kind) {
  Control& control = (*this)[name];
  if (control.design().kind != kind) Raise(kErrObjectNotSet);
  return control;
}

Hwnd Form::hWnd() const { return peer_->hWnd(); }

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  if (OnLoad) OnLoad();
}

void Form::Show() {
  if (!unloaded_) peer_->Show();
}
void Form::Hide() {
  if (!unloaded_) peer_->Hide();
}
bool Form::Visible() const { return !unloaded_ && peer_->Visible(); }

void Form::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  if (OnUnload) OnUnload();
  StopTimer();
  for (const auto& [id, handler] : once_) peer_->StopOnce(id);
  once_.clear();
  peer_->Destroy();
}

bool Form::WatchKeyboard() { return !unloaded_ && peer_->WatchKeyboard(); }
bool Form::WatchClipboard() { return !unloaded_ && peer_->WatchClipboard(); }

void Form::StartTimer(std::uint32_t ms) {
  if (unloaded_ || ms == 0) return;
  timerMs_ = ms;
  peer_->StartTimer(ms);
}

void Form::StopTimer() {
  if (timerMs_ == 0) return;
  timerMs_ = 0;
  peer_->StopTimer();
}

void Form::StartOnce(std::uint32_t id, std::uint32_t ms, std::function<void()> handler) {
  if (unloaded_) return;
  once_[id] = std::move(handler);
  peer_->StartOnce(id, ms);
}

void Form::StopOnce(std::uint32_t id) {
  if (once_.erase(id) != 0) peer_->StopOnce(id);
}

void Form::NotifyOnce(std::uint32_t id) {
  const auto it = once_.find(id);
  if (it == once_.end()) return;
  const std::function<void()> handler = std::move(it->second);
  once_.erase(it);
  peer_->StopOnce(id);
  if (!unloaded_ && handler) handler();
}

Form::Subscription Form::SubscribeTray(TrayHandler handler) { return tray_.insert(tray_.end(), std::move(handler)); }

void Form::UnsubscribeTray(Subscription s) { tray_.erase(s); }

void Form::NotifyClick(int index) {
  if (auto& c = controls_[static_cast<std::size_t>(index)]; c->Click) c->Click();
}

void Form::NotifyChange(int index) {
  if (auto& c = controls_[static_cast<std::size_t>(index)]; c->Change) c->Change();
}

void Form::NotifyTray(std::uint32_t id, std::uint32_t message, Point anchor) {
  // Copy first: a handler may unsubscribe (or unload the window) while running.
  auto handlers = tray_;
  for (auto& h : handlers) h(id, message, anchor);
}

void Form::NotifyKeyUp(int keyCode, int shift) {
  if (!unloaded_ && OnKeyUp) OnKeyUp(keyCode, shift);
}

void Form::NotifyRawKey(const RawKey& key) {
  if (loaded_ && !unloaded_ && OnRawKey) OnRawKey(key);
}

void Form::NotifyClipboardUpdate(std::uint32_t time) {
  if (loaded_ && !unloaded_ && OnClipboardUpdate) OnClipboardUpdate(time);
}

void Form::NotifyTimer() {
  if (loaded_ && !unloaded_ && timerMs_ != 0 && OnTimer) OnTimer();
}

void Form::NotifyTaskbarCreated() {
  if (loaded_ && !unloaded_ && OnTaskbarCreated) OnTaskbarCreated();
}

void Form::NotifyOtherInstance() {
  if (loaded_ && !unloaded_ && OnOtherInstance) OnOtherInstance();
}

void Form::NotifyCloseRequest() { Unload(); }

}  // namespace plat
