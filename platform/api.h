// The operating-system functions the program calls, under their Windows
// names and with their Windows argument order, inside namespace plat.
// Texts passed here are already in the system ANSI code page (see text.h).
// Two backends implement this header: win32/ forwards to the real
// functions, sim/ to an in-memory Windows used by the native tests.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

// Registry (advapi32).
std::int32_t RegOpenKeyExA(Handle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           std::uint32_t samDesired, Handle* phkResult);
std::int32_t RegQueryValueExA(Handle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                              std::uint32_t* lpType, std::uint8_t* lpData,
                              std::uint32_t* lpcbData);
std::int32_t RegSetValueExA(Handle hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData,
                            std::uint32_t cbData);
std::int32_t RegDeleteValueA(Handle hKey, const char* lpValueName);
std::int32_t RegCloseKey(Handle hKey);

// Private-profile (INI) files (kernel32).
std::uint32_t GetPrivateProfileStringA(const char* lpAppName, const char* lpKeyName,
                                       const char* lpDefault, char* lpReturnedString,
                                       std::uint32_t nSize, const char* lpFileName);
std::uint32_t GetPrivateProfileIntA(const char* lpAppName, const char* lpKeyName,
                                    std::int32_t nDefault, const char* lpFileName);
bool WritePrivateProfileStringA(const char* lpAppName, const char* lpKeyName,
                                const char* lpString, const char* lpFileName);

// Files (kernel32). Names are ANSI paths. FindFirstFileA matches the last
// part of the name with the wildcards * and ? as the platform does, and
// returns kInvalidHandleValue when nothing matches; its handle is closed
// with FindClose.
Handle FindFirstFileA(const char* lpFileName, Win32FindDataA* lpFindFileData);
bool FindClose(Handle hFindFile);
HFile _lopen(const char* lpPathName, std::int32_t iReadWrite);
HFile _lclose(HFile hFile);
// A null time, or one of 0, leaves that time unchanged.
bool SetFileTime(Handle hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                 const FileTime* lpLastWriteTime);
bool SetFileAttributesA(const char* lpFileName, std::uint32_t dwFileAttributes);

// Shell (shell32) and keyboard (user32).
bool Shell_NotifyIconA(std::uint32_t dwMessage, NotifyIconDataA* lpData);
std::int16_t GetAsyncKeyState(int vKey);

}  // namespace plat
