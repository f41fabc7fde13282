#include "tests/support/win32/driver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

namespace {

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApproved[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring BuildDir() { return WindowsPath(VARNEL_EXE_DIR); }

}  // namespace

std::wstring WindowsPath(const std::string& unixPath) {
  std::wstring w = L"Z:";
  for (char c : unixPath) w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return w;
}

std::wstring MakeInstallFolder(const std::wstring& name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"varnel-e2e-" + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  for (const wchar_t* f : {L"Varnel.ini", L"Readme.txt", L"Varnel.exe"}) DeleteFileW((dir + L"\\" + f).c_str());
  CopyFileW((BuildDir() + L"\\Varnel.exe").c_str(), (dir + L"\\Varnel.exe").c_str(), FALSE);
  CopyFileW((BuildDir() + L"\\Readme.txt").c_str(), (dir + L"\\Readme.txt").c_str(), FALSE);
  DeleteFileW(UserSettingsFile().c_str());
  return dir;
}

std::wstring UserSettingsFile() {
  wchar_t appData[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK) return {};
  return std::wstring(appData) + L"\\Varnel\\Varnel.ini";
}

std::optional<std::string> ReadFile(const std::wstring& path) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  CloseHandle(h);
  return out;
}

std::optional<std::string> ReadWhenWritten(const std::wstring& path, DWORD ms) {
  for (DWORD waited = 0;; waited += 20) {
    if (auto bytes = ReadFile(path)) return bytes;
    if (waited >= ms) return std::nullopt;
    Sleep(20);
  }
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD n = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

std::wstring Environment(const wchar_t* name) {
  wchar_t buf[1024];
  DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

VarnelProcess::VarnelProcess(const std::wstring& folder) : exe_(folder + L"\\Varnel.exe") {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring cmd = L"\"" + exe_ + L"\"";
  std::vector<wchar_t> line(cmd.begin(), cmd.end());
  line.push_back(0);
  CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_);
  if (pi_.hProcess) WaitForInputIdle(pi_.hProcess, 15000);
}

VarnelProcess::~VarnelProcess() {
  if (!pi_.hProcess) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
  CloseHandle(pi_.hProcess);
  CloseHandle(pi_.hThread);
}

HWND VarnelProcess::Window() {
  if (window_) return window_;
  window_ = FindProcessWindow(pi_.dwProcessId, L"VarnelMain", 15000, false);
  // The window is there before Varnel has loaded (and Wine may call a
  // program idle before that): a message it answers comes after the load
  // has begun to listen for Windows' reports, as a user's first press does.
  if (window_) SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr);
  return window_;
}

HWND VarnelProcess::Control(const wchar_t* caption) {
  HWND w = Window();
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t text[256];
    GetWindowTextW(c, text, 256);
    if (std::wstring(text) == caption) return c;
  }
  return nullptr;
}

bool VarnelProcess::WaitForExit(DWORD ms) {
  return pi_.hProcess && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD VarnelProcess::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

bool VarnelProcess::ShowWindowByTray() {
  HWND w = Window();
  PostTrayMessage(w, WM_LBUTTONDBLCLK);
  for (int i = 0; i < 100 && !IsWindowVisible(w); ++i) Sleep(50);
  return IsWindowVisible(w);
}

void RegisterOpenRecorder(std::initializer_list<const wchar_t*> classes, const std::wstring& log) {
  const std::wstring command = L"\"" + BuildDir() + L"\\open_recorder.exe\" \"%1\"";
  auto setDefault = [](const std::wstring& key, const std::wstring& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &k, nullptr) != 0)
      return;
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  };
  for (const wchar_t* cls : classes) {
    std::wstring name = cls;
    if (name.front() == L'.') {  // a file extension: give it a class of ours
      setDefault(name, L"VarnelTests.recorded");
      name = L"VarnelTests.recorded";
    } else {
      setDefault(name + L"\\shell\\explore\\command", command);
    }
    setDefault(name + L"\\shell\\open\\command", command);
  }
  DeleteFileW(log.c_str());
  SetEnvironmentVariableW(L"VARNEL_OPEN_LOG", log.c_str());
}

bool WaitForLogLine(const std::wstring& log, const std::string& text) {
  for (int i = 0; i < 150; ++i) {
    auto content = ReadFile(log);
    if (content && content->find(text) != std::string::npos) return true;
    Sleep(100);
  }
  return false;
}

namespace {

// Windows of another program the user runs beside Varnel: one that comes
// to the front, and one that owns what the tests put on the clipboard. A
// thread of their own handles their messages, as a program's would: Wine
// hands the focus to a window through its thread, and asks a clipboard's
// owner before a reader may look (waiting 5 s for one that does not answer).
struct AnotherProgram {
  HWND front = nullptr;
  HWND clipboardOwner = nullptr;
};

const AnotherProgram& Another() {
  static const AnotherProgram windows = [] {
    AnotherProgram made;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([&made, ready] {
      made.front = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"another program", WS_POPUP, 0, 0, 1, 1, nullptr,
                                   nullptr, nullptr, nullptr);
      made.clipboardOwner =
          CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
      SetEvent(ready);
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }).detach();
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    return made;
  }();
  return windows;
}

// On a real desktop some window is always in front, and Windows hands the
// keyboard's raw input to programs listening in the background (Varnel)
// only then; on a bare Xvfb display nothing may be once the last window in
// front has gone, and Wine then drops the input. A window of the user's
// other programs comes to the front in that case. A window just hidden (OK
// in Varnel's window) may still be in front for a moment, and the X
// server's word on a window that comes or goes (the notification area's,
// say, as Varnel starts) comes late: the window in front must have held
// its place for 100 ms.
void SomeWindowInFront() {
  HWND last = nullptr;
  for (int i = 0, held = 0; i < 100 && held < 5; ++i) {
    Sleep(20);
    const HWND front = GetForegroundWindow();
    if (front && IsWindowVisible(front)) {
      held = front == last ? held + 1 : 0;
      last = front;
      continue;
    }
    held = 0;
    last = nullptr;
    ShowWindow(Another().front, SW_SHOWNA);
    SetForegroundWindow(Another().front);
  }
}

}  // namespace

void PressKey(WORD vk, std::initializer_list<WORD> modifiers) {
  SomeWindowInFront();
  std::vector<INPUT> in;
  auto key = [&](WORD k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD m : modifiers) key(m, false);
  key(vk, false);
  key(vk, true);
  for (WORD m : modifiers) key(m, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Sleep(300);
}

namespace {
struct ClassFind {
  DWORD pid;
  const wchar_t* cls;
  bool visibleOnly;
  HWND found;
};
BOOL CALLBACK FindByClass(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<ClassFind*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[64];
  if (pid == d->pid && (!d->visibleOnly || IsWindowVisible(h)) && GetClassNameW(h, cls, 64) &&
      std::wstring(cls) == d->cls) {
    d->found = h;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* cls, DWORD waitMs, bool visibleOnly) {
  for (DWORD waited = 0; waited <= waitMs; waited += 100) {
    ClassFind d{pid, cls, visibleOnly, nullptr};
    EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&d));
    if (d.found) return d.found;
    Sleep(100);
  }
  return nullptr;
}

std::uint32_t Pattern(int x, int y) {
  return (static_cast<std::uint32_t>(x * 7 + y) & 0xFF) | ((static_cast<std::uint32_t>(y * 3) & 0xFF) << 8) |
         ((static_cast<std::uint32_t>(x ^ y) & 0xFF) << 16);
}

int WrongPixels(const std::string& bmp, int width, int height, const Paint& paint) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (bmp.size() != 54 + stride * static_cast<std::size_t>(height)) return width * height;
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto* px = reinterpret_cast<const std::uint8_t*>(bmp.data()) + 54 +
                       static_cast<std::size_t>(height - 1 - y) * stride + static_cast<std::size_t>(x) * 3;
      if ((px[0] | px[1] << 8 | px[2] << 16) != static_cast<int>(paint(x, y))) ++wrong;
    }
  return wrong;
}

namespace {

// The packed form of a bitmap: a 24-bit bottom-up picture in global memory.
HGLOBAL PackedFormOf(HBITMAP bitmap) {
  BITMAP bm{};
  if (!GetObjectW(bitmap, sizeof bm, &bm)) return nullptr;
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = bm.bmWidth;
  h.biHeight = bm.bmHeight;
  h.biPlanes = 1;
  h.biBitCount = 24;
  const std::size_t stride = (static_cast<std::size_t>(bm.bmWidth) * 3 + 3) & ~std::size_t{3};
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof h + stride * static_cast<std::size_t>(bm.bmHeight));
  auto* bytes = block ? static_cast<std::uint8_t*>(GlobalLock(block)) : nullptr;
  if (!bytes) return block ? GlobalFree(block) : nullptr;
  std::memcpy(bytes, &h, sizeof h);
  HDC dc = GetDC(nullptr);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), bytes + sizeof h,
                              reinterpret_cast<BITMAPINFO*>(bytes), DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  GlobalUnlock(block);
  if (lines != bm.bmHeight) return GlobalFree(block);
  return block;
}

// Hands a bitmap to the clipboard, which then owns it. With packedToo the
// packed form goes beside it, as Windows offers both of the screen on Print
// Screen: Wine makes one form of a picture from the other only for programs
// of the bitness that put it, and hands a 64-bit program a 32-bit program's
// bitmap as raw memory, so the form put is what a program of the other
// bitness can read.
bool GiveToClipboard(HBITMAP bitmap, bool packedToo = true) {
  const HWND owner = Another().clipboardOwner;
  HGLOBAL packed = packedToo ? PackedFormOf(bitmap) : nullptr;
  if (packedToo && !packed) {
    DeleteObject(bitmap);
    return false;
  }
  bool ok = false;
  for (int i = 0; i < 50 && !ok; ++i) {
    if (OpenClipboard(owner)) {
      EmptyClipboard();
      ok = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
      if (ok && packed) ok = SetClipboardData(CF_DIB, packed) != nullptr;
      CloseClipboard();
    } else {
      Sleep(20);
    }
  }
  if (!ok) {
    DeleteObject(bitmap);
    if (packed) GlobalFree(packed);
  }
  return ok;
}

}  // namespace

SIZE PutScreenOnClipboard() {
  const SIZE size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, size.cx, size.cy);
  HDC to = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(to, copy);
  BitBlt(to, 0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
  SelectObject(to, old);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return GiveToClipboard(copy) ? size : SIZE{0, 0};
}

bool PutPictureOnClipboard(int width, int height, Paint paint, bool packedToo) {
  // Paint into a top-down 32-bit DIB section, then copy it into a bitmap
  // compatible with the screen: the kind Print Screen leaves.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP ddb = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (!dib || !ddb) return false;
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      px[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = paint(x, y);
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = SelectObject(from, dib), oldTo = SelectObject(to, ddb);
  BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(dib);

  return GiveToClipboard(ddb, packedToo);
}

std::wstring OtherBitnessPutter() { return WindowsPath(VARNEL_OTHER_PUTTER); }

int PutPictureFromOtherBitness(int width, int height, bool packedToo) {
  std::wstring command = L"\"" + OtherBitnessPutter() + L"\" " + std::to_wstring(width) + L" " +
                         std::to_wstring(height) + (packedToo ? L"" : L" bitmap-only");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

std::int64_t PressPrintScreen() {
  SomeWindowInFront();
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_SNAPSHOT;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &in[0], sizeof(INPUT));
  Sleep(60);  // the key is held a moment, as by a finger
  SomeWindowInFront();
  LARGE_INTEGER released;
  QueryPerformanceCounter(&released);
  SendInput(1, &in[1], sizeof(INPUT));
  return released.QuadPart;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::wstring> WaitForFiles(const std::wstring& folder, std::size_t count, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    auto names = FilesIn(folder);
    if (names.size() >= count) return names;
    Sleep(20);
  }
  return FilesIn(folder);
}

HWND WaitForMessageBox(DWORD pid, DWORD ms) {
  HWND box = FindProcessWindow(pid, L"#32770", ms);
  // The box is there before its caption and prompt are set, which happens
  // before it handles any message sent to it: a message it answers says
  // they are.
  if (box) SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
  return box;
}

std::wstring WindowText(HWND window) {
  wchar_t buf[2048] = {0};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buf;
}

namespace {

struct Descendants {
  const wchar_t* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDescendant(HWND w, LPARAM data) {
  auto* d = reinterpret_cast<Descendants*>(data);
  wchar_t name[64] = {0};
  GetClassNameW(w, name, 64);
  if (IsWindowVisible(w) && _wcsicmp(name, d->cls) == 0) d->found.push_back(w);
  return TRUE;
}

std::vector<HWND> DescendantsOf(HWND parent, const wchar_t* cls) {
  Descendants d{cls, {}};
  EnumChildWindows(parent, CollectDescendant, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

}  // namespace

std::wstring MessageBoxText(HWND box) {
  // The prompt is a message box's static control with the id 0xFFFF; a
  // task dialog's is its longest text.
  if (HWND text = GetDlgItem(box, 0xFFFF)) return WindowText(text);
  std::wstring longest;
  for (HWND w : DescendantsOf(box, L"Static"))
    if (std::wstring t = WindowText(w); t.size() > longest.size()) longest = t;
  return longest;
}

bool PressDialogButton(HWND dialog, const std::wstring& caption) {
  for (HWND w : DescendantsOf(dialog, L"Button"))
    if (WindowText(w) == caption) {
      PostMessageW(w, BM_CLICK, 0, 0);
      return true;
    }
  return false;
}

HWND WaitForDialog(DWORD pid, const std::wstring& title, DWORD ms) {
  for (DWORD waited = 0; waited <= ms; waited += 100) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w) && WindowText(w) == title) return w;
    }
    Sleep(100);
  }
  return nullptr;
}

HWND FindDescendant(HWND parent, const wchar_t* cls) {
  const std::vector<HWND> found = DescendantsOf(parent, cls);
  return found.empty() ? nullptr : found.front();
}

bool DismissMessageBox(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
  return !IsWindow(box);
}

int CountMessageBoxes(DWORD pid) {
  int boxes = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) ++boxes;
  }
  return boxes;
}

bool XPointerAvailable() { return !Environment(L"VARNEL_E2E_X_POINTER").empty(); }

bool XDo(const std::string& args) {
  const std::wstring request = Environment(L"VARNEL_E2E_X_POINTER");
  if (request.empty()) return false;
  WriteFile(request, args + "\n");
  for (int i = 0; i < 200; ++i) {
    if (GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(50);
  }
  DeleteFileW(request.c_str());
  return false;
}

std::optional<POINT> TrayIconCentre(DWORD ms) {
  // Wine's notification area is a window of explorer's at the top left of
  // the screen; its icons stand in a row, each a square as high as it.
  for (DWORD waited = 0; waited <= ms; waited += 100) {
    if (HWND tray = FindWindowW(nullptr, L"Wine System Tray"); tray && IsWindowVisible(tray)) {
      RECT r{};
      GetWindowRect(tray, &r);
      const LONG side = r.bottom - r.top;
      if (side > 0 && r.right - r.left >= side) return POINT{r.left + side / 2, r.top + side / 2};
    }
    Sleep(100);
  }
  return std::nullopt;
}

void PostTrayMessage(HWND window, UINT mouseMessage) {
  // Varnel's own callback message (WM_APP + 1), about its icon with id 1,
  // laid out as version 4 of the icon lays it out: the message and the id
  // in lParam, the anchor (here the screen's top left) in wParam.
  PostMessageW(window, WM_APP + 1, 0, MAKELPARAM(mouseMessage, 1));
}

std::optional<std::wstring> RunEntry(HKEY root) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, kRun, 0, KEY_QUERY_VALUE, &k) != 0) return std::nullopt;
  wchar_t buf[1024];
  DWORD size = sizeof buf, type = 0;
  LONG rc = RegQueryValueExW(k, L"Varnel", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (rc != 0 || type != REG_SZ) return std::nullopt;
  std::wstring s(buf, size / sizeof(wchar_t));
  if (!s.empty() && s.back() == L'\0') s.pop_back();
  return s;
}

void SetRunEntry(HKEY root, const std::wstring& command) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, kRun, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != 0) return;
  RegSetValueExW(k, L"Varnel", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

void DeleteRunEntries() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kRun, kApproved}) {
      HKEY k = nullptr;
      if (RegOpenKeyExW(root, key, 0, KEY_SET_VALUE, &k) != 0) continue;
      RegDeleteValueW(k, L"Varnel");
      RegCloseKey(k);
    }
  }
}

namespace {

bool SwitchedOff(HKEY root, const wchar_t* name) {
  BYTE data[64];
  DWORD size = sizeof data, type = 0;
  return RegGetValueW(root, kApproved, name, RRF_RT_REG_BINARY, &type, data, &size) == 0 && size > 0 &&
         (data[0] & 1) != 0;
}

}  // namespace

std::vector<PROCESS_INFORMATION> StartRunEntries() {
  std::vector<PROCESS_INFORMATION> started;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, kRun, 0, KEY_QUERY_VALUE, &k) != 0) continue;
    for (DWORD i = 0;; ++i) {
      wchar_t name[256], command[1024];
      DWORD nameSize = 256, size = sizeof command, type = 0;
      if (RegEnumValueW(k, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(command), &size) != 0) break;
      if (type != REG_SZ || SwitchedOff(root, name)) continue;
      std::vector<wchar_t> line(command, command + size / sizeof(wchar_t));
      line.push_back(0);
      STARTUPINFOW si{};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi{};
      if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        started.push_back(pi);
    }
    RegCloseKey(k);
  }
  return started;
}

}  // namespace e2e
