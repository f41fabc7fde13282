// Whole profile files on the real file system: the new content is written
// beside the file and then moved over it, so that a failure at any point
// leaves the old file whole.
#include "platform/profile_file.h"

#include <string>

#include "platform/win32/handles.h"

namespace plat {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

bool WriteAll(const std::u16string& path, const std::string& bytes) {
  win32::UniqueFile file(
      ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  return ::CloseHandle(file.release()) && ok;
}

}  // namespace

std::optional<std::string> ReadProfileBytes(const std::u16string& path) {
  win32::UniqueFile file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional<std::string>(std::string()) : std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
    if (n == 0) return bytes;
    bytes.append(buffer, n);
  }
  return std::nullopt;
}

bool ReplaceProfileBytes(const std::u16string& path, const std::string& bytes) {
  const std::u16string fresh = path + u".new";
  if (!WriteAll(fresh, bytes) ||
      !::MoveFileExW(W(fresh), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(W(fresh));
    return false;
  }
  return true;
}

}  // namespace plat
