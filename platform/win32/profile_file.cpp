// Converting a profile file to Unicode on the real file system: the new
// form is written beside the file and then moved over it, so that a
// failure at any point leaves the old file whole.
#include "platform/profile_file.h"

#include <string>

#include "platform/text.h"
#include "platform/win32/handles.h"

namespace plat {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

constexpr char kMark[] = "\xFF\xFE";

// The file's bytes; empty for a missing file. False when it exists but
// cannot be read, or its folder is missing.
bool ReadAll(const std::u16string& path, std::string* bytes) {
  win32::UniqueFile file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
    if (n == 0) return true;
    bytes->append(buffer, n);
  }
  return false;
}

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

bool ConvertProfileToUnicode(const std::u16string& path) {
  std::string bytes;
  if (!ReadAll(path, &bytes)) return false;
  if (bytes.compare(0, 2, kMark) == 0) return true;

  const std::u16string text = FromAnsi(bytes);
  std::string unicode(kMark, 2);
  for (char16_t c : text) {
    unicode += static_cast<char>(c & 0xFF);
    unicode += static_cast<char>(c >> 8);
  }
  const std::u16string fresh = path + u".new";
  if (!WriteAll(fresh, unicode) ||
      !::MoveFileExW(W(fresh), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(W(fresh));
    return false;
  }
  return true;
}

}  // namespace plat
