// The real window toolkit: one top-level window with native controls, a
// timer, and the message loop. The window is created hidden; user actions
// come back to the Form as notifications. The window keeps its peer in its
// own user data (handed over at creation), so the window procedure, the
// message loop and message boxes find the form through the window itself.
#include "platform/toolkit.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/app_env.h"
#include "platform/error.h"
#include "platform/gdi_handles.h"
#include "platform/unique.h"
#include "platform/win32/handles.h"
#include "platform/win32/win.h"
#include <commctrl.h>
#include <uxtheme.h>

namespace plat {

namespace {

constexpr wchar_t kClassName[] = L"VarnelMain";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFirstControlId = 100;
constexpr int kIconResource = 1;
// Windows 10 1703's message, beyond the headers of the Windows 7 target.
constexpr UINT kWmGetDpiScaledSize = 0x02E4;

// The window's colours: black behind light-blue text for the window, its
// labels, check boxes and option buttons; buttons and the text box keep
// the system's colours.
constexpr COLORREF kBack = RGB(0, 0, 0);
constexpr COLORREF kText = RGB(0, 153, 255);

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

int ScreenDpi() {
  const WindowDC dc = TakeWindowDC(Hwnd{});
  const int dpi = dc ? ::GetDeviceCaps(win32::To<HDC>(dc.get().dc), LOGPIXELSX) : 96;
  return dpi > 0 ? dpi : 96;
}

// The calls for a window's own dots per inch, of Windows 10 1607 and
// later, looked up in user32 once; null where it lacks them.
struct DpiCalls {
  UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
};

const DpiCalls& Dpi() {
  static const DpiCalls calls = [] {
    DpiCalls c;
    if (const HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
      c.dpiForWindow = reinterpret_cast<decltype(c.dpiForWindow)>(
          reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
      c.adjustForDpi = reinterpret_cast<decltype(c.adjustForDpi)>(
          reinterpret_cast<void*>(::GetProcAddress(user32, "AdjustWindowRectExForDpi")));
    }
    return c;
  }();
  return calls;
}

// The dots per inch of the monitor the window is on; where Windows cannot
// tell (before Windows 10 1607), the screen's.
int WindowDpi(HWND window) {
  if (Dpi().dpiForWindow)
    if (const UINT dpi = Dpi().dpiForWindow(window)) return static_cast<int>(dpi);
  return ScreenDpi();
}

int Pixels(int twips, int dpi) { return DesignPixels(twips, dpi); }

// A fixed frame with a caption and a close button: the window is a dialog,
// so it cannot be resized, maximised or minimised to the taskbar.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

int ShiftState() {
  int s = 0;
  if (::GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (::GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

struct WindowTraits {
  using Type = HWND;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::DestroyWindow(h); }
};

struct IconTraits {
  using Type = HICON;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::DestroyIcon(h); }
};

// The program's icon at the small-icon size of the screen's dots per inch,
// drawn from the resource's image of that size (LoadIconMetric, LIM_SMALL);
// where comctl32 lacks the call, the image of SM_CXSMICON's size.
HICON LoadSmallIcon(HINSTANCE instance) {
  using Fn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
  HICON icon = nullptr;
  if (const HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll"))
    if (const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(comctl, "LoadIconMetric"))))
      if (SUCCEEDED(fn(instance, MAKEINTRESOURCEW(kIconResource), LIM_SMALL, &icon))) return icon;
  return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                         ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
}

struct FontTraits {
  using Type = HFONT;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};

// MS Sans Serif at 8 points, the font the layout was drawn for, at `dpi`.
Unique<FontTraits> MakeFont(int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = DesignFontHeight(dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  ::lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  return Unique<FontTraits>(::CreateFontIndirectW(&lf));
}

// Registered messages: the shell's, broadcast when the notification area
// is created anew, and the one a later copy of the program sends the
// holder of its InstanceClaim. 0 until registered.
UINT g_taskbarCreated = 0;
UINT g_otherInstance = 0;

std::u16string OtherInstanceMessageName(const std::u16string& claimName) { return claimName + u".OtherInstance"; }

class Win32FormPeer : public FormPeer {
 public:
  Win32FormPeer(Form& form, const FormDesign& design) : form_(form), design_(design) {
    instance_ = ::GetModuleHandleW(nullptr);
    RegisterClassOnce();
    dpi_ = ScreenDpi();
    icon_ = ::LoadIconW(instance_, MAKEINTRESOURCEW(kIconResource));
    if (!icon_) icon_ = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    smallIcon_.reset(LoadSmallIcon(instance_));

    const SIZE size = WindowSize(dpi_);
    const int width = size.cx, height = size.cy;
    RECT work{0, 0, 800, 600};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The window procedure takes this peer from the creation parameters
    // into the window's user data (WM_NCCREATE).
    hwnd_.reset(::CreateWindowExW(0, kClassName, W(design.caption), kStyle,
                                  work.left + std::max(0L, (work.right - work.left - width) / 2),
                                  work.top + std::max(0L, (work.bottom - work.top - height) / 2), width, height,
                                  nullptr, nullptr, instance_, this));
    ::SendMessageW(hwnd_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(hwnd_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    CreateControls();
    // Laid out again, about the same centre, for the monitor it was made
    // on, where that differs from the screen's dots per inch (its scale
    // changed since the user signed in, or it is not the main monitor).
    if (const int dpi = WindowDpi(hwnd_.get()); hwnd_ && dpi != dpi_) {
      RECT r{};
      ::GetWindowRect(hwnd_.get(), &r);
      const SIZE scaled = WindowSize(dpi);
      LayOut(dpi, {r.left + (r.right - r.left - scaled.cx) / 2, r.top + (r.bottom - r.top - scaled.cy) / 2});
    }
    // Run elevated, the window would otherwise not hear these from the
    // unelevated shell and the later copies of the program.
    if (!g_taskbarCreated) g_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    for (UINT message : {g_taskbarCreated, g_otherInstance})
      if (message) ::ChangeWindowMessageFilterEx(hwnd_.get(), message, MSGFLT_ALLOW, nullptr);
  }

  // The window goes first, while the peer is whole: its last messages
  // still reach it. Then its controls' font.
  ~Win32FormPeer() override { hwnd_.reset(); }

  // The peer a window of this toolkit keeps, null for any other window.
  static Win32FormPeer* Of(HWND h) {
    wchar_t name[std::size(kClassName) + 1] = {};
    if (!h || !::GetClassNameW(h, name, static_cast<int>(std::size(name))) || std::wcscmp(name, kClassName) != 0)
      return nullptr;
    return reinterpret_cast<Win32FormPeer*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
  }

  Hwnd hWnd() const override { return win32::From<Hwnd>(hwnd_.get()); }
  void Show() override {
    ::ShowWindow(hwnd_.get(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_.get());
  }
  void Hide() override { ::ShowWindow(hwnd_.get(), SW_HIDE); }
  bool Visible() const override { return ::IsWindowVisible(hwnd_.get()) != FALSE; }
  void Destroy() override {
    ::KillTimer(hwnd_.get(), kTimerId);
    if (watchingClipboard_) ::RemoveClipboardFormatListener(hwnd_.get());
    ::DestroyWindow(hwnd_.release());
  }

  // Keyboard input of the whole session (usage page 1, usage 6: keyboards),
  // also while another window has the focus.
  bool WatchKeyboard() override {
    RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, hwnd_.get()};
    return ::RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != FALSE;
  }
  bool WatchClipboard() override {
    watchingClipboard_ = ::AddClipboardFormatListener(hwnd_.get()) != FALSE;
    return watchingClipboard_;
  }
  void StartTimer(std::uint32_t ms) override { ::SetTimer(hwnd_.get(), kTimerId, ms, nullptr); }
  void StopTimer() override { ::KillTimer(hwnd_.get(), kTimerId); }
  Handle IconHandle() const override { return reinterpret_cast<Handle>(icon_); }
  Handle SmallIconHandle() const override { return reinterpret_cast<Handle>(smallIcon_ ? smallIcon_.get() : icon_); }
  void StartOnce(std::uint32_t id, std::uint32_t ms) override { ::SetTimer(hwnd_.get(), id, ms, nullptr); }
  void StopOnce(std::uint32_t id) override { ::KillTimer(hwnd_.get(), id); }

  int GetValue(int i) const override {
    switch (Kind(i)) {
      case ControlKind::CheckBox:
      case ControlKind::OptionButton: return static_cast<int>(::SendMessageW(Child(i), BM_GETCHECK, 0, 0));
      default: return 0;
    }
  }
  void SetValue(int i, int v) override {
    if (Kind(i) == ControlKind::CheckBox || Kind(i) == ControlKind::OptionButton)
      ::SendMessageW(Child(i), BM_SETCHECK, static_cast<WPARAM>(v), 0);
  }
  std::u16string GetText(int i) const override {
    HWND c = Child(i);
    int n = ::GetWindowTextLengthW(c);
    std::u16string s(static_cast<std::size_t>(n) + 1, u'\0');
    n = ::GetWindowTextW(c, reinterpret_cast<wchar_t*>(s.data()), n + 1);
    s.resize(static_cast<std::size_t>(std::max(n, 0)));
    return s;
  }
  // The edit control itself sends EN_CHANGE for the new text.
  void SetText(int i, const std::u16string& text) override { ::SetWindowTextW(Child(i), W(text)); }
  bool GetEnabled(int i) const override { return ::IsWindowEnabled(Child(i)) != FALSE; }
  void SetEnabled(int i, bool e) override { ::EnableWindow(Child(i), e ? TRUE : FALSE); }
  int FocusedControl() const override {
    const HWND focus = ::GetFocus();
    const int index = focus && ::GetParent(focus) == hwnd_.get() ? ::GetDlgCtrlID(focus) - kFirstControlId : -1;
    return index >= 0 && index < static_cast<int>(design_.controls.size()) ? index : -1;
  }
  // SetFocus rather than WM_NEXTDLGCTL: the window is not of the dialog
  // class, and DefWindowProc does nothing with that message.
  void Focus(int i) override { ::SetFocus(i < 0 ? hwnd_.get() : Child(i)); }

  WindowLayout Layout() const override {
    WindowLayout layout{dpi_, {}, 0, 0, {}};
    RECT r{};
    ::GetWindowRect(hwnd_.get(), &r);
    layout.origin = {r.left, r.top};
    ::GetClientRect(hwnd_.get(), &r);
    layout.clientWidth = r.right;
    layout.clientHeight = r.bottom;
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
      const HWND child = Child(static_cast<int>(i));
      ::GetWindowRect(child, &r);
      ::MapWindowPoints(nullptr, hwnd_.get(), reinterpret_cast<POINT*>(&r), 2);
      LOGFONTW lf{};
      const auto font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
      if (!font || !::GetObjectW(font, sizeof lf, &lf)) lf.lfHeight = 0;
      layout.controls.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top, static_cast<int>(lf.lfHeight)});
    }
    return layout;
  }

  HWND hwnd() const { return hwnd_.get(); }
  Form& form() { return form_; }

  LRESULT OnMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != 0 && msg == g_taskbarCreated) {
      form_.NotifyTaskbarCreated();
      return 0;
    }
    if (msg != 0 && msg == g_otherInstance) {
      form_.NotifyOtherInstance();
      return 0;
    }
    switch (msg) {
      case WM_COMMAND: {
        const int id = LOWORD(wp);
        const int code = HIWORD(wp);
        int index = id - kFirstControlId;
        if (id == IDOK) index = FindFlag(&ControlDesign::isDefault);
        if (id == IDCANCEL) index = FindFlag(&ControlDesign::isCancel);
        if (index < 0 || index >= static_cast<int>(design_.controls.size())) break;
        if (Kind(index) == ControlKind::TextBox) {
          if (code == EN_CHANGE) form_.NotifyChange(index);
        } else if (code == BN_CLICKED) {
          if (GetEnabled(index)) form_.NotifyClick(index);
        }
        return 0;
      }
      case DM_GETDEFID: {
        const int index = FindFlag(&ControlDesign::isDefault);
        if (index >= 0) return MAKELRESULT(kFirstControlId + index, DC_HASDEFID);
        return 0;
      }
      case WM_CTLCOLORSTATIC: {
        const int index = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp)) - kFirstControlId;
        if (index < 0 || index >= static_cast<int>(design_.controls.size()) || Kind(index) == ControlKind::TextBox)
          break;
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, kText);
        ::SetBkColor(dc, kBack);
        return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
      }
      case kTrayMessage: {
        const TrayReport report = DecodeTrayReport(wp, lp);
        form_.NotifyTray(report.id, report.message, report.anchor);
        return 0;
      }
      case WM_INPUT: {
        RAWINPUT raw{};
        UINT size = sizeof raw;
        if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(lp), RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) !=
                static_cast<UINT>(-1) &&
            raw.header.dwType == RIM_TYPEKEYBOARD) {
          // The time of the key event itself, not of its handling.
          const RAWKEYBOARD& k = raw.data.keyboard;
          form_.NotifyRawKey({k.VKey, (k.Flags & RI_KEY_BREAK) == 0, k.MakeCode, k.Flags,
                              static_cast<std::uint32_t>(::GetMessageTime())});
        }
        break;  // DefWindowProc frees what the input held
      }
      case WM_CLIPBOARDUPDATE:
        // The time it is handled: a report may come as a sent message, whose
        // GetMessageTime() is that of an older message. Handled later than
        // it happened, a change only looks newer.
        form_.NotifyClipboardUpdate(::GetTickCount());
        return 0;
      case WM_TIMER:
        if (wp == kTimerId)
          form_.NotifyTimer();
        else
          form_.NotifyOnce(static_cast<std::uint32_t>(wp));
        return 0;
      // Windows 10 1703 and later ask what size the window takes at a new
      // dpi before they suggest it in WM_DPICHANGED: its frame about the
      // design's client area, which a linear scaling would miss by the
      // rounding of the frame and of the twips.
      case kWmGetDpiScaledSize: *reinterpret_cast<SIZE*>(lp) = WindowSize(static_cast<int>(wp)); return TRUE;
      // Moved to a monitor of another dpi, or its scale changed: laid out
      // again for the new dpi where Windows suggests.
      case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        LayOut(LOWORD(wp), {suggested->left, suggested->top});
        return 0;
      }
      case WM_CLOSE: form_.NotifyCloseRequest(); return 0;
      case WM_QUERYENDSESSION: return TRUE;
      case WM_ENDSESSION:
        if (wp) form_.NotifyCloseRequest();
        return 0;
      case WM_DESTROY: ::PostQuitMessage(0); return 0;
      default: break;
    }
    return ::DefWindowProcW(h, msg, wp, lp);
  }

 private:
  ControlKind Kind(int i) const { return design_.controls[static_cast<std::size_t>(i)].kind; }
  HWND Child(int i) const { return ::GetDlgItem(hwnd_.get(), kFirstControlId + i); }

  int FindFlag(bool ControlDesign::*flag) const {
    for (std::size_t i = 0; i < design_.controls.size(); ++i)
      if (design_.controls[i].*flag) return static_cast<int>(i);
    return -1;
  }

  void RegisterClassOnce() {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(instance_, kClassName, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32FormPeer::Proc;
    wc.hInstance = instance_;
    wc.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(kIconResource));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);
  }

  // The window's size for the design's client area at `dpi`, its frame
  // reckoned at that dpi where Windows can (Windows 10 1607 and later).
  SIZE WindowSize(int dpi) const {
    RECT r{0, 0, Pixels(design_.clientWidth, dpi), Pixels(design_.clientHeight, dpi)};
    if (Dpi().adjustForDpi)
      Dpi().adjustForDpi(&r, kStyle, FALSE, 0, static_cast<UINT>(dpi));
    else
      ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
  }

  // Lays the window out for `dpi` with its frame's top left at `origin`:
  // its client area and its controls from the design's twips, in a font
  // made for that dpi.
  void LayOut(int dpi, POINT origin) {
    dpi_ = dpi;
    const SIZE size = WindowSize(dpi);
    ::SetWindowPos(hwnd_.get(), nullptr, origin.x, origin.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    FitClientArea();
    Unique<FontTraits> font = MakeFont(dpi);
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
      const ControlDesign& c = design_.controls[i];
      const HWND child = Child(static_cast<int>(i));
      ::SetWindowPos(child, nullptr, Pixels(c.left, dpi), Pixels(c.top, dpi), Pixels(c.width, dpi),
                     Pixels(c.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
      if (font) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The old font goes only now that no control draws with it; without a
    // new one the controls keep it.
    if (font) font_ = std::move(font);
  }

  // The frame Windows draws may differ from the one reckoned for the dpi
  // (Wine draws it at the screen's dpi whatever the window's): the window
  // then grows or shrinks by the difference, so that its client area is
  // the design's.
  void FitClientArea() {
    RECT client{}, frame{};
    ::GetClientRect(hwnd_.get(), &client);
    const int dx = Pixels(design_.clientWidth, dpi_) - client.right;
    const int dy = Pixels(design_.clientHeight, dpi_) - client.bottom;
    if ((dx == 0 && dy == 0) || !::GetWindowRect(hwnd_.get(), &frame)) return;
    ::SetWindowPos(hwnd_.get(), nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void CreateControls() {
    font_ = MakeFont(dpi_);

    // Created in tab order, which is also the order Tab moves the focus in.
    std::vector<std::size_t> order(design_.controls.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return design_.controls[a].tabIndex < design_.controls[b].tabIndex;
    });
    bool firstOption = true;
    for (std::size_t i : order) {
      const ControlDesign& c = design_.controls[i];
      const wchar_t* cls = L"BUTTON";
      DWORD style = WS_CHILD | WS_VISIBLE;
      DWORD exStyle = 0;
      switch (c.kind) {
        case ControlKind::Label:
          cls = L"STATIC";
          style |= c.align == Align::Center ? SS_CENTER : c.align == Align::Right ? SS_RIGHT : SS_LEFT;
          break;
        case ControlKind::CheckBox: style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
        case ControlKind::OptionButton:
          style |= BS_AUTORADIOBUTTON | (firstOption ? WS_GROUP | WS_TABSTOP : 0);
          firstOption = false;
          break;
        case ControlKind::TextBox:
          cls = L"EDIT";
          style |= WS_TABSTOP | ES_AUTOHSCROLL;
          exStyle = WS_EX_CLIENTEDGE;
          break;
        case ControlKind::Button: style |= WS_TABSTOP | (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON); break;
      }
      if (!c.enabled) style |= WS_DISABLED;
      const std::u16string caption = c.kind == ControlKind::TextBox ? std::u16string() : c.caption;
      HWND child = ::CreateWindowExW(
          exStyle, cls, W(caption), style, Pixels(c.left, dpi_), Pixels(c.top, dpi_), Pixels(c.width, dpi_),
          Pixels(c.height, dpi_), hwnd_.get(),
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))), instance_, nullptr);
      if (font_) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      // Themed check boxes and option buttons draw their text in the
      // theme's colour whatever the window asks for; unthemed, they take ours.
      if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::OptionButton) ::SetWindowTheme(child, L"", L"");
      if (c.value) ::SendMessageW(child, BM_SETCHECK, static_cast<WPARAM>(c.value), 0);
    }
  }

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
      ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (auto* peer = reinterpret_cast<Win32FormPeer*>(::GetWindowLongPtrW(h, GWLP_USERDATA)))
      return peer->OnMessage(h, msg, wp, lp);
    return ::DefWindowProcW(h, msg, wp, lp);
  }

  Form& form_;
  FormDesign design_;
  HINSTANCE instance_ = nullptr;
  HICON icon_ = nullptr;
  Unique<IconTraits> smallIcon_;
  // Declared in this order so that the window goes before its font.
  Unique<FontTraits> font_;
  Unique<WindowTraits> hwnd_;
  int dpi_ = 96;
  bool watchingClipboard_ = false;
};

}  // namespace

std::unique_ptr<FormPeer> CreateFormPeer(Form& form, const FormDesign& design) {
  return std::make_unique<Win32FormPeer>(form, design);
}

void DestroyPictureHandle(Handle handle, Picture::Type type) {
  if (type == Picture::Type::Icon)
    ::DestroyIcon(reinterpret_cast<HICON>(handle));
  else
    ::DeleteObject(reinterpret_cast<HGDIOBJ>(handle));
}

void MsgBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost) {
  const std::u16string caption = title.empty() ? AppExeName() : title;
  // MB_SETFOREGROUND asks for the foreground, which Windows grants a
  // program in the background only by flashing its taskbar button;
  // MB_TOPMOST puts the box in front all the same.
  ::MessageBoxW(win32::To<HWND>(owner), W(prompt), W(caption), MB_OK | (topmost ? MB_TOPMOST | MB_SETFOREGROUND : 0u));
}

InstanceClaim::InstanceClaim(const std::u16string& name) {
  g_otherInstance = ::RegisterWindowMessageW(W(OtherInstanceMessageName(name)));
  // "Local\": the namespace of this user session.
  const std::u16string mutexName = u"Local\\" + name + u".Instance";
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, W(mutexName));
  const DWORD error = ::GetLastError();
  if (mutex && error != ERROR_ALREADY_EXISTS) {
    token_.reset(reinterpret_cast<Handle>(mutex));
    held_ = true;
    return;
  }
  if (mutex) {
    ::CloseHandle(mutex);
  } else if (error != ERROR_ACCESS_DENIED) {
    // No claim can be made at all: run rather than refuse to start.
    held_ = true;
    return;
  }
  // Held by another copy (refused access: one run elevated). Its window may
  // take the foreground, which this newly started process may still give.
  ::AllowSetForegroundWindow(ASFW_ANY);
  ::PostMessageW(HWND_BROADCAST, g_otherInstance, 0, 0);
}

void InstanceClaim::TokenTraits::Close(Handle token) { ::CloseHandle(reinterpret_cast<HANDLE>(token)); }

int RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The program's window, when the message is for it or one of its controls.
    HWND main = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    Win32FormPeer* peer = Win32FormPeer::Of(main);
    if (peer && peer->hwnd() == main) {
      // Key releases reach the window whichever control has the focus.
      // With Alt held a key's release comes as WM_SYSKEYUP.
      if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
        peer->form().NotifyKeyUp(static_cast<int>(msg.wParam), ShiftState());
      if (::IsDialogMessageW(main, &msg)) continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace plat
