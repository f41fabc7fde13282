// Drives Varnel.exe from outside, as a user's tools would: starts it in a
// folder of its own, finds its window and controls, and waits for it to end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A Unix path of the build machine as Wine reaches it, through drive Z:.
std::wstring WindowsPath(const std::string& unixPath);
// A fresh folder holding a copy of Varnel.exe (and Readme.txt). The
// per-user settings file is deleted too, so that Varnel reads the folder's.
std::wstring MakeInstallFolder(const std::wstring& name);
// Varnel's per-user settings file, %APPDATA%\Varnel\Varnel.ini.
std::wstring UserSettingsFile();
std::optional<std::string> ReadFile(const std::wstring& path);
// The file once its writer has closed it (Varnel writes without sharing, so
// it cannot be opened before), waiting up to `ms`.
std::optional<std::string> ReadWhenWritten(const std::wstring& path, DWORD ms = 15000);
void WriteFile(const std::wstring& path, const std::string& bytes);
std::wstring Environment(const wchar_t* name);

class VarnelProcess {
 public:
  explicit VarnelProcess(const std::wstring& folder);
  ~VarnelProcess();  // ends the process if a test left it running
  VarnelProcess(const VarnelProcess&) = delete;
  VarnelProcess& operator=(const VarnelProcess&) = delete;

  // The main window of this process (waits up to 15 s for it to appear).
  HWND Window();
  // A child control by its caption, e.g. L"&Apply".
  HWND Control(const wchar_t* caption);
  bool WaitForExit(DWORD ms = 15000);
  DWORD ExitCode() const;
  DWORD pid() const { return pi_.dwProcessId; }
  // The process's handle (all access), e.g. for its memory counters.
  HANDLE process() const { return pi_.hProcess; }
  // Shows the window through the tray icon's left double-click.
  bool ShowWindowByTray();
  const std::wstring& exe() const { return exe_; }

 private:
  std::wstring exe_;
  PROCESS_INFORMATION pi_{};
  HWND window_ = nullptr;
};

// Makes open_recorder.exe the "open" handler for the given file extensions
// and classes (e.g. L".txt", L"Directory"; a class gets it for "explore"
// too) and points its log at `log`.
void RegisterOpenRecorder(std::initializer_list<const wchar_t*> classes, const std::wstring& log);
// Waits until the recorder's log holds `text` (up to 15 s).
bool WaitForLogLine(const std::wstring& log, const std::string& text);
// Presses and releases a key through the input queue, with modifiers held.
void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {});
// A top-level window of class `cls` owned by process `pid`, waiting for it
// to appear (and, with visibleOnly, to be shown).
HWND FindProcessWindow(DWORD pid, const wchar_t* cls, DWORD waitMs = 10000, bool visibleOnly = true);

// Pixels as 0x00RRGGBB from the top left.
using Paint = std::function<std::uint32_t(int x, int y)>;
std::uint32_t Pattern(int x, int y);
// Pixels of a 24-bit bitmap file that differ from the paint; all of them
// when the file is not one of the size.
int WrongPixels(const std::string& bmp, int width, int height, const Paint& paint = Pattern);
// Puts a screen-compatible bitmap holding the paint on the clipboard, as
// Windows does for Print Screen, with its packed form (kCfDib) beside it
// unless packedToo is false. False when the clipboard refused it.
bool PutPictureOnClipboard(int width, int height, Paint paint = Pattern, bool packedToo = true);
// The helper program that puts a picture from a process of the other
// bitness than this one's (clip_putter.exe of the other Windows build), and
// runs it: width, height, and whether the packed form goes too. Returns
// its exit code (0: the picture is there); -1 when it could not be started.
int PutPictureFromOtherBitness(int width, int height, bool packedToo);
std::wstring OtherBitnessPutter();
// What Windows does on Print Screen, done by hand where the platform does
// not: a copy of the whole screen on the clipboard. Returns its size.
SIZE PutScreenOnClipboard();
// Presses and releases Print Screen through the input queue. Returns the
// performance counter's reading taken just before the release is sent.
std::int64_t PressPrintScreen();
// Files in a folder matching a wildcard pattern, sorted by name.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*");
// Waits until exactly `count` files match (up to `ms`).
std::vector<std::wstring> WaitForFiles(const std::wstring& folder, std::size_t count, DWORD ms = 15000);

// A visible message box of process `pid` (waits up to `ms`), its title and
// its text (a task dialog's: its longest text), and OK pressed on it.
HWND WaitForMessageBox(DWORD pid, DWORD ms = 5000);
std::wstring WindowText(HWND window);  // also of another process's control
std::wstring MessageBoxText(HWND box);
bool DismissMessageBox(HWND box);
// A dialog's button pressed by its caption (a task dialog's own buttons
// too); false when it has none of that caption.
bool PressDialogButton(HWND dialog, const std::wstring& caption);
// A visible dialog (class #32770) of process `pid` with this title,
// waiting up to `ms` for it.
HWND WaitForDialog(DWORD pid, const std::wstring& title, DWORD ms = 10000);
// The first visible window of class `cls` inside `parent`, at any depth.
HWND FindDescendant(HWND parent, const wchar_t* cls);
// Visible message boxes of process `pid` now.
int CountMessageBoxes(DWORD pid);

// Posts what the shell posts for a mouse message on the tray icon.
void PostTrayMessage(HWND window, UINT mouseMessage);

// The X server's own pointer and keyboard, lent by the test command
// (tests/wine/x-pointer.sh), for what only a real click does: Wine's
// notification area hears the X pointer, not input sent inside Wine.
// Available: whether the test command lends them. XDo runs one line of
// xdotool arguments ("mousemove 13 32 click 3", "key Down Return") and
// waits until it is done; false when it could not.
bool XPointerAvailable();
bool XDo(const std::string& args);
// The centre of the first icon in Wine's notification area, in screen
// pixels, once there is one (waits up to `ms`).
std::optional<POINT> TrayIconCentre(DWORD ms = 10000);

// The start-up entry under a root's Run key, if any, as stored (read with
// the wide call), without its terminator; by default the user's own.
std::optional<std::wstring> RunEntry(HKEY root = HKEY_CURRENT_USER);
void SetRunEntry(HKEY root, const std::wstring& command);
// Deletes the entries "Varnel" of both Run keys and their switches in
// Explorer's StartupApproved keys.
void DeleteRunEntries();
// What Windows does at sign-in (and Wine's wineboot at its start): starts
// every command of the Run keys, the machine's first, skipping those
// switched off in StartupApproved. Returns the processes started.
std::vector<PROCESS_INFORMATION> StartRunEntries();

}  // namespace e2e
