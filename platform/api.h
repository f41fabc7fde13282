// The operating-system functions the program calls, under their Windows
// names and with their Windows argument order, inside namespace plat.
// Texts of the "A" functions are in the system ANSI code page (see text.h),
// those of the "W" functions UTF-16.
// Two backends implement this header: win32/ forwards to the real
// functions, sim/ to an in-memory Windows used by the native tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi_types.h"
#include "platform/types.h"

namespace plat {

// Registry (advapi32), on UTF-16 names. Value data are bytes: a text type
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) holds UTF-16 LE, its terminating
// NUL counted in cbData by the writer; Windows stores exactly the bytes
// given and a reader gets them back as stored, terminated or not.
// RegQueryValueExW with no data buffer reports the type and the size in
// bytes; with one too small it fails with kErrorMoreData and reports the
// size needed.
std::int32_t RegOpenKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t ulOptions, std::uint32_t samDesired,
                           Hkey* phkResult);
std::int32_t RegQueryValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t* lpReserved, std::uint32_t* lpType,
                              std::uint8_t* lpData, std::uint32_t* lpcbData);
std::int32_t RegSetValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t Reserved, std::uint32_t dwType,
                            const std::uint8_t* lpData, std::uint32_t cbData);
std::int32_t RegDeleteValueW(Hkey hKey, const char16_t* lpValueName);
std::int32_t RegCloseKey(Hkey hKey);
// Opens the key, first making it, and every key above it, where missing (no
// class, no security attributes); *lpdwDisposition tells which happened
// (kRegCreatedNewKey, kRegOpenedExistingKey). Making a key needs the right
// to write the key above, which a standard user lacks under
// HKEY_LOCAL_MACHINE: kErrorAccessDenied.
std::int32_t RegCreateKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t dwOptions, std::uint32_t samDesired,
                             Hkey* phkResult, std::uint32_t* lpdwDisposition);

// Private-profile (INI) files (kernel32).
std::uint32_t GetPrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpDefault,
                                       char* lpReturnedString, std::uint32_t nSize, const char* lpFileName);
std::uint32_t GetPrivateProfileIntA(const char* lpAppName, const char* lpKeyName, std::int32_t nDefault,
                                    const char* lpFileName);
bool WritePrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpString,
                                const char* lpFileName);
// The same on UTF-16 text. Windows keeps a profile file in the form it
// finds it: one that begins with the UTF-16 LE byte-order mark is read and
// written as Unicode; any other, and one that does not exist yet, in the
// ANSI code page, where a character the code page lacks is written as '?'.
std::uint32_t GetPrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpDefault,
                                       char16_t* lpReturnedString, std::uint32_t nSize, const char16_t* lpFileName);
std::uint32_t GetPrivateProfileIntW(const char16_t* lpAppName, const char16_t* lpKeyName, std::int32_t nDefault,
                                    const char16_t* lpFileName);
bool WritePrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpString,
                                const char16_t* lpFileName);

// Files (kernel32). Names are UTF-16 and end at their first NUL. A path of
// kMaxPathChars characters or more works only in the long-path form
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), which the calls take
// unchanged, without resolving "." or "..". Every call that fails leaves
// the reason in GetLastError().
//
// FindFirstFileW matches the last part of the name with the wildcards *
// and ?, and returns kInvalidFind when nothing matches; its handle
// is closed with FindClose.
Hfind FindFirstFileW(const char16_t* lpFileName, Win32FindDataW* lpFindFileData);
bool FindClose(Hfind hFindFile);
// Returns kInvalidFileAttributes when nothing stands under the name.
std::uint32_t GetFileAttributesW(const char16_t* lpFileName);
bool SetFileAttributesW(const char16_t* lpFileName, std::uint32_t dwFileAttributes);
// Opens or creates a file (no security attributes, no template); returns
// kInvalidFile when it cannot. The handle is closed with CloseHandle.
Hfile CreateFileW(const char16_t* lpFileName, std::uint32_t dwDesiredAccess, std::uint32_t dwShareMode,
                  std::uint32_t dwCreationDisposition, std::uint32_t dwFlagsAndAttributes);
// Writes at the file's position; *written tells how much went out.
bool WriteFile(Hfile hFile, const void* lpBuffer, std::uint32_t nNumberOfBytesToWrite,
               std::uint32_t* lpNumberOfBytesWritten);
bool CloseHandle(Hfile hObject);
bool DeleteFileW(const char16_t* lpFileName);
// A null time, or one of 0, leaves that time unchanged.
bool SetFileTime(Hfile hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                 const FileTime* lpLastWriteTime);

// Paths as Windows resolves them. GetFullPathNameW makes a name absolute
// (against the current directory), turns "/" into "\", makes repeated
// separators one and resolves "." and ".."; the file need not exist. A
// name in the long-path form keeps its prefix. GetLongPathNameW
// replaces every short (8.3) name in a path by the name it stands for, as
// the file system spells it; it fails, with the reason in GetLastError(),
// when a part of the path does not exist. Both return the length of the
// result without its NUL, or when the buffer is too small the size it
// needs (with the NUL), and 0 on failure. (GetFullPathNameW's last
// argument, the file part, is always null here.)
std::uint32_t GetFullPathNameW(const char16_t* lpFileName, std::uint32_t nBufferLength, char16_t* lpBuffer);
std::uint32_t GetLongPathNameW(const char16_t* lpszShortPath, char16_t* lpszLongPath, std::uint32_t cchBuffer);

// Compares two texts (of the given lengths, -1 for up to the NUL) code unit
// by code unit, with bIgnoreCase as the file system does: each character
// mapped to its simple upper case. Returns kCstrLessThan, kCstrEqual or
// kCstrGreaterThan, 0 on failure.
int CompareStringOrdinal(const char16_t* lpString1, int cchCount1, const char16_t* lpString2, int cchCount2,
                         bool bIgnoreCase);

// The version of Windows that runs the program (ntdll): its real build,
// which GetVersionEx reports only to a program whose manifest names that
// version. Returns 0 (STATUS_SUCCESS).
std::int32_t RtlGetVersion(OsVersionInfo* lpVersionInformation);

// Milliseconds since the system started, wrapping after 49.7 days.
std::uint32_t GetTickCount();

// The calling thread's last error: set by a failing call above, or by the
// program itself (the JPEG library leaves the cause of a failed write there).
std::uint32_t GetLastError();
void SetLastError(std::uint32_t dwErrCode);

// Shell (shell32) and keyboard (user32). Shell_NotifyIconW answers false
// when the notification area did not take the message (not ready yet at
// sign-in, or an icon it does not know).
bool Shell_NotifyIconW(std::uint32_t dwMessage, NotifyIconDataW* lpData);
// The longest time between the clicks of a double-click, in milliseconds.
std::uint32_t GetDoubleClickTime();
// A size in bytes as Windows writes it for the user ("412 KB", "1.50 MB",
// "800 bytes"), into a buffer of cchBuf characters; returns pszBuf, null
// on failure.
char16_t* StrFormatByteSizeW(std::int64_t qdw, char16_t* pszBuf, std::uint32_t cchBuf);

// Pop-up menus and messages (user32). A menu from CreatePopupMenu is
// destroyed with DestroyMenu (handles.h owns it). AppendMenuW adds an item
// with its command id (uFlags kMfString, with kMfGrayed for one that cannot
// be chosen) or a separator (kMfSeparator). TrackPopupMenuEx shows the menu
// at x, y and, with kTpmReturnCmd, returns the command chosen, 0 when the
// user left the menu (Escape, a click elsewhere). Windows closes such a
// menu properly only when its owner was brought to the front before
// (SetForegroundWindow, false when refused) and gets a message after
// (PostMessageW of kWmNull).
Hmenu CreatePopupMenu();
bool AppendMenuW(Hmenu hMenu, std::uint32_t uFlags, std::uintptr_t uIDNewItem, const char16_t* lpNewItem);
bool SetMenuDefaultItem(Hmenu hMenu, std::uint32_t uItem, std::uint32_t fByPos);
std::int32_t TrackPopupMenuEx(Hmenu hMenu, std::uint32_t uFlags, std::int32_t x, std::int32_t y, Hwnd hwnd);
bool DestroyMenu(Hmenu hMenu);
bool SetForegroundWindow(Hwnd hWnd);
bool PostMessageW(Hwnd hWnd, std::uint32_t Msg, std::uintptr_t wParam, std::intptr_t lParam);
std::int16_t GetAsyncKeyState(int vKey);

// The pointer and the monitors (user32), in the pixels the program's
// dots-per-inch awareness gives it: the monitors' own for a program aware
// of each monitor's, as Varnel declares itself. MonitorFromPoint with
// kMonitorDefaultToNearest always finds one; GetSystemMetrics answers 0
// for what it does not know.
bool GetCursorPos(Point* lpPoint);
Hmonitor MonitorFromPoint(Point pt, std::uint32_t dwFlags);
bool GetMonitorInfoW(Hmonitor hMonitor, MonitorInfo* lpmi);
int GetSystemMetrics(int nIndex);
// Returns a value above 32 on success; kSeErrFileNotFound when nothing
// stands under the name, kSeErrNoAssoc when the verb has no handler for it
// (the verb "explore" has one for folders only).
Handle ShellExecuteA(Hwnd hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                     const char* lpDirectory, int nShowCmd);
Handle ShellExecuteW(Hwnd hwnd, const char16_t* lpOperation, const char16_t* lpFile, const char16_t* lpParameters,
                     const char16_t* lpDirectory, int nShowCmd);

// The shell's folder dialog (shell32) and the allocator of the item
// identifier list it returns (ole32). SHBrowseForFolderW returns 0 when
// the dialog is cancelled.
ItemList SHBrowseForFolderW(BrowseInfoW* lpbi);
// The same into a buffer of cchPath characters (uOpts 0: the file-system
// path): a path of any length that fits comes back whole; false when the
// item has no file-system path or its path does not fit.
bool SHGetPathFromIDListEx(ItemList pidl, char16_t* pszPath, std::uint32_t cchPath, std::uint32_t uOpts);
void CoTaskMemFree(ItemList pv);

// The place of one of the shell's special folders (kCsidl...), wherever the
// user or a policy has moved it; pszPath takes MAX_PATH characters. Returns
// 0 (S_OK) on success and a failure code when the folder does not exist.
// The AndSubDir form appends a sub-folder, which must exist too unless
// kCsidlFlagCreate is given: then the missing folders are created.
std::int32_t SHGetFolderPathW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags, char16_t* pszPath);
std::int32_t SHGetFolderPathAndSubDirW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags,
                                       const char16_t* pszSubDir, char16_t* pszPath);

// Graphics (gdi32). Handles of device contexts and bitmaps; a null handle
// is a refusal. The only objects the program selects, describes and
// deletes are bitmaps, and selecting a bitmap returns the bitmap it replaced.
Hbitmap CreateDIBSection(Hdc hdc, const BitmapInfo* pbmi, std::uint32_t usage, void** ppvBits, Handle hSection,
                         std::uint32_t offset);
// Copies scan lines start .. start + cLines - 1 (counted from the bottom of
// the picture) of a bitmap that is selected into no device context into
// lpvBits, in the format lpbmi describes (here: 24 or 32 bits a pixel,
// BI_RGB, the bitmap's width, bottom-up for a positive biHeight). Returns
// the number of lines copied, 0 on failure.
std::int32_t GetDIBits(Hdc hdc, Hbitmap hbm, std::uint32_t start, std::uint32_t cLines, void* lpvBits,
                       BitmapInfo* lpbmi, std::uint32_t usage);
Hdc CreateCompatibleDC(Hdc hdc);
Hbitmap CreateCompatibleBitmap(Hdc hdc, std::int32_t cx, std::int32_t cy);
Hbitmap SelectObject(Hdc hdc, Hbitmap h);
bool BitBlt(Hdc hdc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, Hdc hdcSrc, std::int32_t x1,
            std::int32_t y1, std::uint32_t rop);
std::int32_t GetObjectA(Hbitmap h, std::int32_t c, void* pv);
bool DeleteObject(Hbitmap ho);
bool DeleteDC(Hdc hdc);

// Window device contexts (user32).
Hwnd GetDesktopWindow();
Hdc GetDC(Hwnd hWnd);
std::int32_t ReleaseDC(Hwnd hWnd, Hdc hDC);

// Draws the scan lines StartScan .. StartScan + cLines - 1 of a packed
// picture (lpbmi describes it, lpvBits are its pixels, in any of the
// formats Windows takes) into hdc, converting them to what hdc draws on.
// Returns the number of scan lines drawn, 0 on failure.
std::int32_t SetDIBitsToDevice(Hdc hdc, std::int32_t xDest, std::int32_t yDest, std::uint32_t w, std::uint32_t h,
                               std::int32_t xSrc, std::int32_t ySrc, std::uint32_t StartScan, std::uint32_t cLines,
                               const void* lpvBits, const BitmapInfo* lpbmi, std::uint32_t ColorUse);

// Global memory (kernel32), the form in which the clipboard holds a packed
// picture (kCfDib). GlobalLock returns the block's first byte, null for a
// handle that is no block (GetLastError tells why); GlobalSize returns its
// size in bytes, 0 for no block.
Hglobal GlobalAlloc(std::uint32_t uFlags, std::size_t dwBytes);
void* GlobalLock(Hglobal hMem);
bool GlobalUnlock(Hglobal hMem);
std::size_t GlobalSize(Hglobal hMem);
Hglobal GlobalFree(Hglobal hMem);  // null on success

// Clipboard (user32). The data of a format is a handle of the format's
// kind: a bitmap (Hbitmap) for kCfBitmap, global memory (Hglobal) for
// kCfDib. Windows offers a picture put in one of the two in the other too,
// made from it when it is first asked for.
bool OpenClipboard(Hwnd hWndNewOwner);
bool EmptyClipboard();
Handle SetClipboardData(std::uint32_t uFormat, Handle hMem);
bool CloseClipboard();
Handle GetClipboardData(std::uint32_t uFormat);
bool IsClipboardFormatAvailable(std::uint32_t format);
Hwnd GetClipboardOwner();
// Counts every change of the clipboard's content, by any program; reading
// the clipboard leaves it as it is.
std::uint32_t GetClipboardSequenceNumber();

}  // namespace plat
