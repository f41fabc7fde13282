// The real backend of api.h: straight calls of the Windows functions.
#include "platform/api.h"

#include <cstddef>

#include "platform/win32/handles.h"
#include "platform/win32/win.h"
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace plat {

using win32::From;
using win32::To;

namespace {

HKEY Key(Hkey h) { return To<HKEY>(h); }

// Our record must be the platform's, field for field, up to its balloon.
static_assert(offsetof(NotifyIconDataW, hWnd) == offsetof(NOTIFYICONDATAW, hWnd));
static_assert(offsetof(NotifyIconDataW, uCallbackMessage) == offsetof(NOTIFYICONDATAW, uCallbackMessage));
static_assert(offsetof(NotifyIconDataW, hIcon) == offsetof(NOTIFYICONDATAW, hIcon));
static_assert(offsetof(NotifyIconDataW, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(NotifyIconDataW, szInfo) == offsetof(NOTIFYICONDATAW, szInfo));
static_assert(offsetof(NotifyIconDataW, uTimeout) == offsetof(NOTIFYICONDATAW, uTimeout));
static_assert(offsetof(NotifyIconDataW, szInfoTitle) == offsetof(NOTIFYICONDATAW, szInfoTitle));
static_assert(offsetof(NotifyIconDataW, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags));
static_assert(offsetof(NotifyIconDataW, guidItem) == offsetof(NOTIFYICONDATAW, guidItem));
static_assert(offsetof(NotifyIconDataW, hBalloonIcon) == offsetof(NOTIFYICONDATAW, hBalloonIcon));
static_assert(sizeof(NotifyIconDataW) == sizeof(NOTIFYICONDATAW));
static_assert(kNifInfo == NIF_INFO && kNiifInfo == NIIF_INFO && kNinBalloonUserClick == NIN_BALLOONUSERCLICK);
static_assert(kNifShowTip == NIF_SHOWTIP && kNiifNoSound == NIIF_NOSOUND);
static_assert(kNimSetFocus == NIM_SETFOCUS && kNimSetVersion == NIM_SETVERSION);
static_assert(kNotifyIconVersion4 == NOTIFYICON_VERSION_4);
static_assert(kNinSelect == NIN_SELECT && kNinKeySelect == NIN_KEYSELECT);
static_assert(kTrayMessage == WM_APP + 1 && kWmRButtonDblClk == WM_RBUTTONDBLCLK);
static_assert(kWmContextMenu == WM_CONTEXTMENU && kWmNull == WM_NULL);
static_assert(kMfGrayed == MF_GRAYED && kMfSeparator == MF_SEPARATOR && kMfString == MF_STRING);
static_assert(kTpmRightButton == TPM_RIGHTBUTTON && kTpmReturnCmd == TPM_RETURNCMD);
static_assert(kCfUnicodeText == CF_UNICODETEXT);
static_assert(sizeof(BrowseInfoW) == sizeof(BROWSEINFOW));
static_assert(offsetof(BrowseInfoW, lpszTitle) == offsetof(BROWSEINFOW, lpszTitle));
static_assert(offsetof(BrowseInfoW, ulFlags) == offsetof(BROWSEINFOW, ulFlags));
static_assert(offsetof(BrowseInfoW, iImage) == offsetof(BROWSEINFOW, iImage));
static_assert(kCsidlDesktopDirectory == CSIDL_DESKTOPDIRECTORY && kCsidlAppData == CSIDL_APPDATA);
static_assert(kCsidlPersonal == CSIDL_PERSONAL && kCsidlMyPictures == CSIDL_MYPICTURES);
static_assert(kCsidlFlagCreate == CSIDL_FLAG_CREATE && kShgfpTypeCurrent == SHGFP_TYPE_CURRENT);
static_assert(kKeyRead == KEY_READ);
static_assert(kSeErrFileNotFound == SE_ERR_FNF && kSeErrNoAssoc == SE_ERR_NOASSOC);

// The file records too.
static_assert(sizeof(FileTime) == sizeof(FILETIME));
static_assert(offsetof(FileTime, dwHighDateTime) == offsetof(FILETIME, dwHighDateTime));
static_assert(sizeof(Win32FindDataW) == sizeof(WIN32_FIND_DATAW));
static_assert(offsetof(Win32FindDataW, ftCreationTime) == offsetof(WIN32_FIND_DATAW, ftCreationTime));
static_assert(offsetof(Win32FindDataW, ftLastAccessTime) == offsetof(WIN32_FIND_DATAW, ftLastAccessTime));
static_assert(offsetof(Win32FindDataW, ftLastWriteTime) == offsetof(WIN32_FIND_DATAW, ftLastWriteTime));
static_assert(offsetof(Win32FindDataW, nFileSizeLow) == offsetof(WIN32_FIND_DATAW, nFileSizeLow));
static_assert(offsetof(Win32FindDataW, cFileName) == offsetof(WIN32_FIND_DATAW, cFileName));
static_assert(offsetof(Win32FindDataW, cAlternateFileName) == offsetof(WIN32_FIND_DATAW, cAlternateFileName));
static_assert(kInvalidHandleValue == static_cast<Handle>(-1));  // INVALID_HANDLE_VALUE
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kGenericWrite == GENERIC_WRITE && kGenericRead == GENERIC_READ);
static_assert(kCreateAlways == CREATE_ALWAYS && kOpenExisting == OPEN_EXISTING);
static_assert(kErrorDiskFull == ERROR_DISK_FULL && kErrorFilenameExcedRange == ERROR_FILENAME_EXCED_RANGE);
static_assert(kCreateNew == CREATE_NEW && kFileFlagDeleteOnClose == FILE_FLAG_DELETE_ON_CLOSE);
static_assert(kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY && kErrorOutOfMemory == ERROR_OUTOFMEMORY);
static_assert(kRegCreatedNewKey == REG_CREATED_NEW_KEY && kRegOpenedExistingKey == REG_OPENED_EXISTING_KEY);
static_assert(kKeySetValue == KEY_SET_VALUE);
static_assert(kCstrLessThan == CSTR_LESS_THAN && kCstrEqual == CSTR_EQUAL && kCstrGreaterThan == CSTR_GREATER_THAN);

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
template <class T>
HANDLE H(T h) {
  return To<HANDLE>(h);
}
HWND Wnd(Hwnd h) { return To<HWND>(h); }

const FILETIME* Ft(const FileTime* t) { return reinterpret_cast<const FILETIME*>(t); }

// For the calls that fill a text buffer.
wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }

}  // namespace

std::int32_t RegOpenKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t ulOptions, std::uint32_t samDesired,
                           Hkey* phkResult) {
  HKEY out = nullptr;
  LONG rc = ::RegOpenKeyExW(Key(hKey), W(lpSubKey), ulOptions, samDesired, &out);
  if (phkResult) *phkResult = From<Hkey>(out);
  return rc;
}

std::int32_t RegQueryValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t* lpReserved, std::uint32_t* lpType,
                              std::uint8_t* lpData, std::uint32_t* lpcbData) {
  DWORD type = 0, size = lpcbData ? *lpcbData : 0;
  LONG rc = ::RegQueryValueExW(Key(hKey), W(lpValueName), reinterpret_cast<LPDWORD>(lpReserved),
                               lpType ? &type : nullptr, lpData, lpcbData ? &size : nullptr);
  if (lpType) *lpType = type;
  if (lpcbData) *lpcbData = size;
  return rc;
}

std::int32_t RegSetValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t Reserved, std::uint32_t dwType,
                            const std::uint8_t* lpData, std::uint32_t cbData) {
  return ::RegSetValueExW(Key(hKey), W(lpValueName), Reserved, dwType, lpData, cbData);
}

std::int32_t RegDeleteValueW(Hkey hKey, const char16_t* lpValueName) {
  return ::RegDeleteValueW(Key(hKey), W(lpValueName));
}

std::int32_t RegCloseKey(Hkey hKey) { return ::RegCloseKey(Key(hKey)); }

std::int32_t RegCreateKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t dwOptions, std::uint32_t samDesired,
                             Hkey* phkResult, std::uint32_t* lpdwDisposition) {
  HKEY out = nullptr;
  DWORD disposition = 0;
  const LONG rc =
      ::RegCreateKeyExW(Key(hKey), W(lpSubKey), 0, nullptr, dwOptions, samDesired, nullptr, &out, &disposition);
  if (phkResult) *phkResult = From<Hkey>(out);
  if (lpdwDisposition) *lpdwDisposition = disposition;
  return rc;
}

std::uint32_t GetPrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpDefault,
                                       char* lpReturnedString, std::uint32_t nSize, const char* lpFileName) {
  return ::GetPrivateProfileStringA(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
}

std::uint32_t GetPrivateProfileIntA(const char* lpAppName, const char* lpKeyName, std::int32_t nDefault,
                                    const char* lpFileName) {
  return ::GetPrivateProfileIntA(lpAppName, lpKeyName, nDefault, lpFileName);
}

bool WritePrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpString,
                                const char* lpFileName) {
  return ::WritePrivateProfileStringA(lpAppName, lpKeyName, lpString, lpFileName) != FALSE;
}

std::uint32_t GetPrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpDefault,
                                       char16_t* lpReturnedString, std::uint32_t nSize, const char16_t* lpFileName) {
  return ::GetPrivateProfileStringW(W(lpAppName), W(lpKeyName), W(lpDefault), W(lpReturnedString), nSize,
                                    W(lpFileName));
}

std::uint32_t GetPrivateProfileIntW(const char16_t* lpAppName, const char16_t* lpKeyName, std::int32_t nDefault,
                                    const char16_t* lpFileName) {
  return ::GetPrivateProfileIntW(W(lpAppName), W(lpKeyName), nDefault, W(lpFileName));
}

bool WritePrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpString,
                                const char16_t* lpFileName) {
  return ::WritePrivateProfileStringW(W(lpAppName), W(lpKeyName), W(lpString), W(lpFileName)) != FALSE;
}

Hfind FindFirstFileW(const char16_t* lpFileName, Win32FindDataW* lpFindFileData) {
  return From<Hfind>(::FindFirstFileW(W(lpFileName), reinterpret_cast<WIN32_FIND_DATAW*>(lpFindFileData)));
}

bool FindClose(Hfind hFindFile) { return ::FindClose(H(hFindFile)) != FALSE; }

std::uint32_t GetFileAttributesW(const char16_t* lpFileName) { return ::GetFileAttributesW(W(lpFileName)); }

bool SetFileAttributesW(const char16_t* lpFileName, std::uint32_t dwFileAttributes) {
  return ::SetFileAttributesW(W(lpFileName), dwFileAttributes) != FALSE;
}

Hfile CreateFileW(const char16_t* lpFileName, std::uint32_t dwDesiredAccess, std::uint32_t dwShareMode,
                  std::uint32_t dwCreationDisposition, std::uint32_t dwFlagsAndAttributes) {
  return From<Hfile>(::CreateFileW(W(lpFileName), dwDesiredAccess, dwShareMode, nullptr, dwCreationDisposition,
                                   dwFlagsAndAttributes, nullptr));
}

bool WriteFile(Hfile hFile, const void* lpBuffer, std::uint32_t nNumberOfBytesToWrite,
               std::uint32_t* lpNumberOfBytesWritten) {
  DWORD written = 0;
  const BOOL ok = ::WriteFile(H(hFile), lpBuffer, nNumberOfBytesToWrite, &written, nullptr);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = written;
  return ok != FALSE;
}

bool CloseHandle(Hfile hObject) { return ::CloseHandle(H(hObject)) != FALSE; }

bool DeleteFileW(const char16_t* lpFileName) { return ::DeleteFileW(W(lpFileName)) != FALSE; }

bool SetFileTime(Hfile hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                 const FileTime* lpLastWriteTime) {
  return ::SetFileTime(H(hFile), Ft(lpCreationTime), Ft(lpLastAccessTime), Ft(lpLastWriteTime)) != FALSE;
}

std::uint32_t GetFullPathNameW(const char16_t* lpFileName, std::uint32_t nBufferLength, char16_t* lpBuffer) {
  return ::GetFullPathNameW(W(lpFileName), nBufferLength, W(lpBuffer), nullptr);
}

std::uint32_t GetLongPathNameW(const char16_t* lpszShortPath, char16_t* lpszLongPath, std::uint32_t cchBuffer) {
  return ::GetLongPathNameW(W(lpszShortPath), W(lpszLongPath), cchBuffer);
}

int CompareStringOrdinal(const char16_t* lpString1, int cchCount1, const char16_t* lpString2, int cchCount2,
                         bool bIgnoreCase) {
  return ::CompareStringOrdinal(W(lpString1), cchCount1, W(lpString2), cchCount2, bIgnoreCase ? TRUE : FALSE);
}

std::int32_t RtlGetVersion(OsVersionInfo* lpVersionInformation) {
  // Exported by ntdll without a declaration in the SDK's user-mode headers.
  using Fn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const auto fn =
      ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion"))) : nullptr;
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!fn) return static_cast<std::int32_t>(0xC0000002L);  // STATUS_NOT_IMPLEMENTED
  const LONG status = fn(&info);
  if (status == 0) *lpVersionInformation = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  return status;
}

std::uint32_t GetTickCount() { return ::GetTickCount(); }

std::uint32_t GetLastError() { return ::GetLastError(); }
void SetLastError(std::uint32_t dwErrCode) { ::SetLastError(dwErrCode); }

bool Shell_NotifyIconW(std::uint32_t dwMessage, NotifyIconDataW* lpData) {
  return ::Shell_NotifyIconW(dwMessage, reinterpret_cast<NOTIFYICONDATAW*>(lpData)) != FALSE;
}

std::int16_t GetAsyncKeyState(int vKey) { return ::GetAsyncKeyState(vKey); }

static_assert(sizeof(Rect) == sizeof(RECT) && offsetof(Rect, bottom) == offsetof(RECT, bottom));
static_assert(sizeof(MonitorInfo) == sizeof(MONITORINFO) &&
              offsetof(MonitorInfo, dwFlags) == offsetof(MONITORINFO, dwFlags));
static_assert(kMonitorInfoPrimary == MONITORINFOF_PRIMARY && kMonitorDefaultToNearest == MONITOR_DEFAULTTONEAREST);
static_assert(kSmXVirtualScreen == SM_XVIRTUALSCREEN && kSmCyVirtualScreen == SM_CYVIRTUALSCREEN);

bool GetCursorPos(Point* lpPoint) {
  POINT p{};
  if (!::GetCursorPos(&p)) return false;
  *lpPoint = {p.x, p.y};
  return true;
}

Hmonitor MonitorFromPoint(Point pt, std::uint32_t dwFlags) {
  return From<Hmonitor>(::MonitorFromPoint(POINT{pt.x, pt.y}, dwFlags));
}

bool GetMonitorInfoW(Hmonitor hMonitor, MonitorInfo* lpmi) {
  return ::GetMonitorInfoW(To<HMONITOR>(hMonitor), reinterpret_cast<MONITORINFO*>(lpmi)) != FALSE;
}

int GetSystemMetrics(int nIndex) { return ::GetSystemMetrics(nIndex); }

std::uint32_t GetDoubleClickTime() { return ::GetDoubleClickTime(); }

char16_t* StrFormatByteSizeW(std::int64_t qdw, char16_t* pszBuf, std::uint32_t cchBuf) {
  return reinterpret_cast<char16_t*>(::StrFormatByteSizeW(qdw, W(pszBuf), cchBuf));
}

Hmenu CreatePopupMenu() { return From<Hmenu>(::CreatePopupMenu()); }

bool AppendMenuW(Hmenu hMenu, std::uint32_t uFlags, std::uintptr_t uIDNewItem, const char16_t* lpNewItem) {
  return ::AppendMenuW(To<HMENU>(hMenu), uFlags, uIDNewItem, W(lpNewItem)) != FALSE;
}

bool SetMenuDefaultItem(Hmenu hMenu, std::uint32_t uItem, std::uint32_t fByPos) {
  return ::SetMenuDefaultItem(To<HMENU>(hMenu), uItem, fByPos) != FALSE;
}

std::int32_t TrackPopupMenuEx(Hmenu hMenu, std::uint32_t uFlags, std::int32_t x, std::int32_t y, Hwnd hwnd) {
  return ::TrackPopupMenuEx(To<HMENU>(hMenu), uFlags, x, y, Wnd(hwnd), nullptr);
}

bool DestroyMenu(Hmenu hMenu) { return ::DestroyMenu(To<HMENU>(hMenu)) != FALSE; }

bool SetForegroundWindow(Hwnd hWnd) { return ::SetForegroundWindow(Wnd(hWnd)) != FALSE; }

bool PostMessageW(Hwnd hWnd, std::uint32_t Msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return ::PostMessageW(Wnd(hWnd), Msg, wParam, lParam) != FALSE;
}

Handle ShellExecuteA(Hwnd hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                     const char* lpDirectory, int nShowCmd) {
  return reinterpret_cast<Handle>(::ShellExecuteA(Wnd(hwnd), lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd));
}

Handle ShellExecuteW(Hwnd hwnd, const char16_t* lpOperation, const char16_t* lpFile, const char16_t* lpParameters,
                     const char16_t* lpDirectory, int nShowCmd) {
  return reinterpret_cast<Handle>(
      ::ShellExecuteW(Wnd(hwnd), W(lpOperation), W(lpFile), W(lpParameters), W(lpDirectory), nShowCmd));
}

ItemList SHBrowseForFolderW(BrowseInfoW* lpbi) {
  // The dialog needs COM on this thread; the toolkit initialises it at start.
  return From<ItemList>(::SHBrowseForFolderW(reinterpret_cast<BROWSEINFOW*>(lpbi)));
}

bool SHGetPathFromIDListEx(ItemList pidl, char16_t* pszPath, std::uint32_t cchPath, std::uint32_t uOpts) {
  return ::SHGetPathFromIDListEx(To<PCIDLIST_ABSOLUTE>(pidl), W(pszPath), cchPath, static_cast<GPFIDL_FLAGS>(uOpts)) !=
         FALSE;
}

std::int32_t SHGetFolderPathW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags, char16_t* pszPath) {
  return ::SHGetFolderPathW(Wnd(hwnd), csidl, reinterpret_cast<HANDLE>(hToken), dwFlags, W(pszPath));
}

std::int32_t SHGetFolderPathAndSubDirW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags,
                                       const char16_t* pszSubDir, char16_t* pszPath) {
  return ::SHGetFolderPathAndSubDirW(Wnd(hwnd), csidl, reinterpret_cast<HANDLE>(hToken), dwFlags, W(pszSubDir),
                                     W(pszPath));
}

void CoTaskMemFree(ItemList pv) { ::CoTaskMemFree(To<void*>(pv)); }

}  // namespace plat
