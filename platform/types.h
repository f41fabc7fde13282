// Plain value types shared by the platform layer and the code above it.
// Nothing here depends on <windows.h>: handles are carried as integers wide
// enough for a pointer, one type per kind, and each backend converts them
// at its own edge.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// Each kind of operating-system handle is a type of its own, carried as an
// integer wide enough for a pointer: a device context cannot be passed
// where a registry key is wanted. A null handle is `{}`. Only the backends
// look at the number (the real one through win32/handles.h).
enum class Hwnd : std::uintptr_t {};      // a window
enum class Hdc : std::uintptr_t {};       // a device context
enum class Hbitmap : std::uintptr_t {};   // a bitmap: the only graphics object the program holds
enum class Hicon : std::uintptr_t {};     // an icon
enum class Hkey : std::uintptr_t {};      // an open registry key
enum class Hfile : std::uintptr_t {};     // an open file (CreateFileW)
enum class Hfind : std::uintptr_t {};     // a file search (FindFirstFileW)
enum class ItemList : std::uintptr_t {};  // the shell's item identifier list (a PIDL)
enum class Hglobal : std::uintptr_t {};   // a block of global memory (a packed picture on the clipboard)
enum class Hmenu : std::uintptr_t {};     // a menu (CreatePopupMenu)
enum class Hmonitor : std::uintptr_t {};  // a display monitor (MonitorFromPoint)

// The bare number, for what holds any of several kinds (a picture is a
// bitmap or an icon), and for arguments the program always passes null
// (a section handle, an access token, a dialog's callback).
using Handle = std::uintptr_t;

// The number behind a typed handle, and a typed handle from a number.
template <class H>
constexpr Handle RawHandle(H h) {
  return static_cast<Handle>(h);
}
template <class H>
constexpr H HandleOf(Handle raw) {
  return static_cast<H>(raw);
}

// A predefined registry root is a 32-bit value that Windows sign-extends to
// pointer width; keeping the same bits here lets the real backend pass it
// through unchanged on both i686 and x86_64.
constexpr Hkey PredefinedRoot(std::uint32_t value) {
  return static_cast<Hkey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

inline constexpr Hkey kHKeyCurrentUser = PredefinedRoot(0x80000001u);
inline constexpr Hkey kHKeyLocalMachine = PredefinedRoot(0x80000002u);

// Registry value types and the error codes the code above examines.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorMoreData = 234;

// RegCreateKeyExW: whether the key was made or already stood there.
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Access the program asks for on every key it opens: query, set, create
// sub-key, enumerate, notify and create link.
inline constexpr std::uint32_t kKeyAccess3F = 0x3F;
// Read access alone (KEY_READ), which a standard user has to
// HKEY_LOCAL_MACHINE too.
inline constexpr std::uint32_t kKeyRead = 0x20019;
// Setting and deleting values alone (KEY_SET_VALUE): what the program
// asks for to learn whether it may change a key.
inline constexpr std::uint32_t kKeySetValue = 0x2;

// Virtual-key codes the program uses.
inline constexpr int kVkSnapshot = 0x2C;
inline constexpr int kVkF1 = 0x70;
inline constexpr int kVkMenu = 0x12;  // Alt

// Raw keyboard input (RAWKEYBOARD): the key's scan code as the keyboard
// sent it, and its flags. Print Screen sends E0 37; with Alt held the same
// key sends 54 (SysRq), without the prefix.
inline constexpr std::uint16_t kRiKeyBreak = 0x1;  // the key went up
inline constexpr std::uint16_t kRiKeyE0 = 0x2;     // the scan code has the E0 prefix
inline constexpr std::uint16_t kScanPrintScreen = 0x37;
inline constexpr std::uint16_t kScanSysRq = 0x54;

// The version of Windows as it is, whatever the program's manifest
// declares (RTL_OSVERSIONINFOW, up to the build number).
struct OsVersionInfo {
  std::uint32_t dwMajorVersion;
  std::uint32_t dwMinorVersion;
  std::uint32_t dwBuildNumber;
};

// Notification-area icon messages and flags.
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNimSetFocus = 3;    // the focus back to the notification area
inline constexpr std::uint32_t kNimSetVersion = 4;  // uVersion says how the shell reports
inline constexpr std::uint32_t kNotifyIconVersion4 = 4;
inline constexpr std::uint32_t kNifMessage = 0x01;
inline constexpr std::uint32_t kNifIcon = 0x02;
inline constexpr std::uint32_t kNifTip = 0x04;
inline constexpr std::uint32_t kNifInfo = 0x10;      // a balloon notification
inline constexpr std::uint32_t kNifShowTip = 0x80;   // version 4 shows the tip only with it
inline constexpr std::uint32_t kNiifInfo = 0x01;     // with the information icon
inline constexpr std::uint32_t kNiifNoSound = 0x10;  // and without its sound
// The message the shell sends the icon's window about it: the program's
// own (WM_APP + 1). Under version 4 lParam holds what happened in its low
// word (a mouse message, a keyboard or a balloon report) and the icon's id
// in its high word, and wParam the anchor point on the screen (x in the
// low word, y in the high, each signed); see DecodeTrayReport.
inline constexpr std::uint32_t kTrayMessage = 0x8001;
inline constexpr std::uint32_t kWmNull = 0x0000;
inline constexpr std::uint32_t kWmContextMenu = 0x007B;
inline constexpr std::uint32_t kWmLButtonDown = 0x201;
inline constexpr std::uint32_t kWmLButtonUp = 0x202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x203;
inline constexpr std::uint32_t kWmRButtonDown = 0x204;
inline constexpr std::uint32_t kWmRButtonUp = 0x205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x206;
inline constexpr std::uint32_t kNinSelect = 0x400;     // a click (version 4 sends it after each)
inline constexpr std::uint32_t kNinKeySelect = 0x401;  // Enter or Space on the icon
inline constexpr std::uint32_t kNinBalloonShow = 0x402;
inline constexpr std::uint32_t kNinBalloonUserClick = 0x405;

// A point on the screen, in pixels.
struct Point {
  std::int32_t x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// A rectangle on the screen, in pixels: right and bottom lie just outside.
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

// A monitor's place on the desktop (MONITORINFO): the whole monitor and
// the part of it not taken by the taskbar, in the desktop's coordinates,
// where the primary monitor's top-left corner is 0,0 and a monitor left
// of or above it has negative ones.
struct MonitorInfo {
  std::uint32_t cbSize;
  Rect rcMonitor;
  Rect rcWork;
  std::uint32_t dwFlags;  // kMonitorInfoPrimary
};
inline constexpr std::uint32_t kMonitorInfoPrimary = 1;
inline constexpr std::uint32_t kMonitorDefaultToNearest = 2;
// GetSystemMetrics: the virtual screen, the rectangle around every monitor.
inline constexpr int kSmXVirtualScreen = 76;
inline constexpr int kSmYVirtualScreen = 77;
inline constexpr int kSmCxVirtualScreen = 78;
inline constexpr int kSmCyVirtualScreen = 79;

// One report of the shell about a notification-area icon.
struct TrayReport {
  std::uint32_t id;       // the icon's
  std::uint32_t message;  // kWmRButtonUp, kWmContextMenu, kNinKeySelect, ...
  Point anchor;           // where the menu or the like belongs
};
// The report in the callback message's parameters, as version 4 lays it out.
constexpr TrayReport DecodeTrayReport(std::uintptr_t wParam, std::intptr_t lParam) {
  const auto low = [](std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); };
  const auto high = [](std::uintptr_t v) { return static_cast<std::uint16_t>((v >> 16) & 0xFFFF); };
  const auto l = static_cast<std::uintptr_t>(lParam);
  return {high(l), low(l), {static_cast<std::int16_t>(low(wParam)), static_cast<std::int16_t>(high(wParam))}};
}

// The notification-area icon record in its full wide form
// (NOTIFYICONDATAW of Windows Vista and later, its whole size in cbSize).
// Texts are UTF-16 and end with a NUL inside their field. uTimeout is
// uVersion for kNimSetVersion.
struct NotifyIconDataW {
  std::uint32_t cbSize;
  Hwnd hWnd;
  std::uint32_t uID;
  std::uint32_t uFlags;
  std::uint32_t uCallbackMessage;
  Hicon hIcon;
  char16_t szTip[128];
  std::uint32_t dwState;
  std::uint32_t dwStateMask;
  char16_t szInfo[256];
  std::uint32_t uTimeout;
  char16_t szInfoTitle[64];
  std::uint32_t dwInfoFlags;
  std::uint8_t guidItem[16];
  Hicon hBalloonIcon;
};

// Pop-up menus (user32): an item's flags, TrackPopupMenuEx's, and the
// small icon's metric (LoadIconMetric).
inline constexpr std::uint32_t kMfString = 0x0000;
inline constexpr std::uint32_t kMfGrayed = 0x0001;
inline constexpr std::uint32_t kMfSeparator = 0x0800;
inline constexpr std::uint32_t kTpmRightButton = 0x0002;
inline constexpr std::uint32_t kTpmReturnCmd = 0x0100;

// The folder dialog's description, laid out as the platform's BROWSEINFOW.
inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 1;
inline constexpr std::uint32_t kMaxPath = 260;
inline constexpr int kSwShowNormal = 1;
struct BrowseInfoW {
  Hwnd hwndOwner;
  ItemList pidlRoot;
  char16_t* pszDisplayName;
  const char16_t* lpszTitle;
  std::uint32_t ulFlags;
  Handle lpfn;
  std::intptr_t lParam;
  std::int32_t iImage;
};

// ShellExecute: a result above 32 is success; these two are the failures
// the program can tell apart.
inline constexpr Handle kSeErrFileNotFound = 2;
inline constexpr Handle kSeErrNoAssoc = 31;

// The shell's special folders (SHGetFolderPathW): the user's desktop,
// roaming application data, documents and pictures; the flag that creates a missing folder; the
// folder's current (not default) place.
inline constexpr int kCsidlDesktopDirectory = 0x0010;
inline constexpr int kCsidlAppData = 0x001A;
inline constexpr int kCsidlPersonal = 0x0005;    // the user's documents
inline constexpr int kCsidlMyPictures = 0x0027;  // the user's pictures
inline constexpr int kCsidlFlagCreate = 0x8000;
inline constexpr std::uint32_t kShgfpTypeCurrent = 0;

// ---- files (kernel32) ----

// A file time: 100-nanosecond intervals since 1 January 1601 (UTC), in two
// 32-bit halves, as the platform lays it out.
struct FileTime {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;
};

// What FindFirstFileW reports of a file, in the platform's layout
// (WIN32_FIND_DATAW). Names are UTF-16.
struct Win32FindDataW {
  std::uint32_t dwFileAttributes;
  FileTime ftCreationTime;
  FileTime ftLastAccessTime;
  FileTime ftLastWriteTime;
  std::uint32_t nFileSizeHigh;
  std::uint32_t nFileSizeLow;
  std::uint32_t dwReserved0;
  std::uint32_t dwReserved1;
  char16_t cFileName[260];
  char16_t cAlternateFileName[14];
};

// What FindFirstFileW and CreateFileW return when they fail
// (INVALID_HANDLE_VALUE).
inline constexpr Handle kInvalidHandleValue = ~Handle{0};
inline constexpr Hfind kInvalidFind = HandleOf<Hfind>(kInvalidHandleValue);
inline constexpr Hfile kInvalidFile = HandleOf<Hfile>(kInvalidHandleValue);
// What GetFileAttributesW returns for a name that stands for nothing.
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// File attributes.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeSystem = 0x04;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// CreateFileW: access, sharing and what to do with an existing file.
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 0x1;
inline constexpr std::uint32_t kFileShareWrite = 0x2;
inline constexpr std::uint32_t kCreateNew = 1;
inline constexpr std::uint32_t kCreateAlways = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
// The file goes when its last handle is closed, also when the process ends.
inline constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000u;

// Win32 error codes (GetLastError) the program looks at.
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorOutOfMemory = 14;
inline constexpr std::uint32_t kErrorWriteProtect = 19;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorHandleDiskFull = 39;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorFilenameExcedRange = 206;
inline constexpr std::uint32_t kErrorClipboardNotOpen = 1418;

// The longest path the calls take without the long-path form "\\?\".
inline constexpr std::size_t kMaxPathChars = 260;
// The longest path of all, in the long-path form, with its NUL.
inline constexpr std::uint32_t kLongestPath = 32768;

// CompareStringOrdinal's answers.
inline constexpr int kCstrLessThan = 1;
inline constexpr int kCstrEqual = 2;
inline constexpr int kCstrGreaterThan = 3;

}  // namespace plat
