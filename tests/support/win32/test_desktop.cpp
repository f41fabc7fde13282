// The tests' desktop on real Windows (or Wine): message boxes closed as
// they open, the clipboard held by another window; no graphics-object count.
#include "tests/support/test_desktop.h"

#include <mutex>
#include <thread>

#include "platform/toolkit.h"
#include "platform/win32/win.h"

namespace plat::testing {

namespace {

// The message boxes caught so far, and the hook that catches them.
struct Catching {
  std::mutex lock;
  std::vector<ShownMessageBox> shown;
  HHOOK hook = nullptr;
  int users = 0;
};

Catching& C() {
  static Catching c;
  return c;
}

std::u16string TextOf(HWND w) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(w, buf, 1024);
  return reinterpret_cast<const char16_t*>(buf);
}

// A message box is a dialog of class #32770 whose prompt is the static
// control 0xFFFF. It is recorded when it becomes active and then closed.
LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND w = reinterpret_cast<HWND>(wParam);
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == L"#32770") {
      HWND text = ::GetDlgItem(w, 0xFFFF);
      {
        std::lock_guard<std::mutex> g(C().lock);
        C().shown.push_back({text ? TextOf(text) : std::u16string(), TextOf(w)});
      }
      ::PostMessageW(w, WM_COMMAND, IDOK, 0);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::optional<std::size_t> LiveGdiObjects() { return std::nullopt; }

MessageBoxCatcher::MessageBoxCatcher() {
  std::lock_guard<std::mutex> g(C().lock);
  first_ = C().shown.size();
  if (C().users++ == 0) C().hook = ::SetWindowsHookExW(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher() {
  std::lock_guard<std::mutex> g(C().lock);
  if (--C().users == 0 && C().hook) {
    ::UnhookWindowsHookEx(C().hook);
    C().hook = nullptr;
  }
}

std::vector<ShownMessageBox> MessageBoxCatcher::Shown() const {
  std::lock_guard<std::mutex> g(C().lock);
  return {C().shown.begin() + static_cast<std::ptrdiff_t>(first_), C().shown.end()};
}

FrontWindowKeeper::FrontWindowKeeper() : front_(reinterpret_cast<Handle>(::GetForegroundWindow())) {}

FrontWindowKeeper::~FrontWindowKeeper() {
  const HWND front = reinterpret_cast<HWND>(front_);
  if (front && ::IsWindow(front) && ::GetForegroundWindow() != front) ::SetForegroundWindow(front);
}

// Another thread with a window of its own opens the clipboard for that
// window and keeps it open until told to stop.
struct ClipboardHolder::Impl {
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool holding = false;
  std::thread thread;
};

ClipboardHolder::ClipboardHolder() : impl_(std::make_unique<Impl>()) {
  Impl* impl = impl_.get();
  impl->thread = std::thread([impl] {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    impl->holding = w && ::OpenClipboard(w);
    ::SetEvent(impl->ready);
    ::WaitForSingleObject(impl->stop, INFINITE);
    if (impl->holding) ::CloseClipboard();
    if (w) ::DestroyWindow(w);
  });
  ::WaitForSingleObject(impl->ready, INFINITE);
}

ClipboardHolder::~ClipboardHolder() {
  ::SetEvent(impl_->stop);
  impl_->thread.join();
  ::CloseHandle(impl_->ready);
  ::CloseHandle(impl_->stop);
}

bool ClipboardHolder::holding() const { return impl_->holding; }

void SendKey(int vk, bool down) { SendKey(vk, down, 0, false); }

void SendKey(int vk, bool down, std::uint16_t scanCode, bool e0) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = scanCode;
  in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (e0 ? KEYEVENTF_EXTENDEDKEY : 0);
  ::SendInput(1, &in, sizeof in);
}

void PumpMessages(std::uint32_t ms) {
  const DWORD start = ::GetTickCount();
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (::GetTickCount() - start < ms);
}

void PostTrayReport(Hwnd window, std::uint32_t id, std::uint32_t message, Point anchor) {
  ::PostMessageW(reinterpret_cast<HWND>(RawHandle(window)), kTrayMessage,
                 static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(anchor.x, anchor.y))), MAKELPARAM(message, id));
}

void PostMouseMove(Hwnd window, int x, int y) {
  ::PostMessageW(reinterpret_cast<HWND>(RawHandle(window)), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

// BM_CLICK: the button's own press and release, found by its caption.
void ClickControl(Form& form, const std::u16string& name) {
  const HWND window = reinterpret_cast<HWND>(RawHandle(form.hWnd()));
  const auto* caption = reinterpret_cast<const wchar_t*>(form[name].design().caption.c_str());
  ::SendMessageW(::FindWindowExW(window, nullptr, L"Button", caption), BM_CLICK, 0, 0);
}

void MoveToMonitorOfDpi(Form& form, int dpi, Point origin) {
  const HWND window = reinterpret_cast<HWND>(RawHandle(form.hWnd()));
  const int was = form.peer().Layout().dpi;
  RECT frame{};
  ::GetWindowRect(window, &frame);
  RECT suggested{origin.x, origin.y, origin.x + ::MulDiv(frame.right - frame.left, dpi, was),
                 origin.y + ::MulDiv(frame.bottom - frame.top, dpi, was)};
  ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace plat::testing
