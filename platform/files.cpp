// The file services over the platform's wide file calls, for both backends.
#include "platform/files.h"

#include <vector>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/handles.h"
#include "platform/long_path.h"

namespace plat {

namespace {

bool HasWildcard(const std::u16string& path) { return path.find_first_of(u"*?") != std::u16string::npos; }

// Absolute, resolved and with long names, as far as the file exists.
std::u16string Resolved(const std::u16string& path) {
  std::vector<char16_t> full(kLongestPath, u'\0');
  const std::uint32_t n = GetFullPathNameW(path.c_str(), kLongestPath, full.data());
  if (n == 0 || n >= kLongestPath) return path;
  std::vector<char16_t> longer(kLongestPath, u'\0');
  const std::u16string call = ForFileCall(full.data());
  const std::uint32_t m = GetLongPathNameW(call.c_str(), longer.data(), kLongestPath);
  if (m == 0 || m >= kLongestPath) return full.data();
  std::u16string out(longer.data(), m);
  // Back out of the long-path form that was only there for the call:
  // "\\?\UNC\server\share" is "\\server\share", "\\?\C:\" is "C:\".
  if (call.size() != std::u16string_view(full.data()).size()) {
    if (out.compare(0, 8, u"\\\\?\\UNC\\") == 0)
      out.replace(0, 8, u"\\\\");
    else if (out.compare(0, 4, u"\\\\?\\") == 0)
      out.erase(0, 4);
  }
  return out;
}

}  // namespace

std::int64_t FileLen(const std::u16string& path) {
  Win32FindDataW d{};
  UniqueFind find(HasWildcard(path) ? kInvalidFind : FindFirstFileW(ForFileCall(path).c_str(), &d));
  if (!find) Raise(kErrFileNotFound, {}, {}, GetLastError());
  find.reset();
  if (d.dwFileAttributes & kFileAttributeDirectory) Raise(kErrFileNotFound);
  return static_cast<std::int64_t>((std::uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow);
}

void Kill(const std::u16string& path) {
  const std::u16string call = ForFileCall(path);
  std::uint32_t error = 0;
  if (path.empty() || HasWildcard(path)) {
    error = kErrorInvalidName;
  } else if (const std::uint32_t a = GetFileAttributesW(call.c_str());
             a != kInvalidFileAttributes && (a & kFileAttributeDirectory)) {
    error = kErrorFileNotFound;
  } else if (a == kInvalidFileAttributes || !DeleteFileW(call.c_str())) {
    error = GetLastError();
  }
  switch (error) {
    case 0: return;
    case kErrorFileNotFound: Raise(kErrFileNotFound, {}, {}, error);
    case kErrorPathNotFound: Raise(kErrPathNotFound, {}, {}, error);
    case kErrorInvalidName: Raise(kErrBadFileName, {}, {}, error);
    default: Raise(kErrFileAccess, {}, {}, error);
  }
}

bool FileExists(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(ForFileCall(path).c_str()) != kInvalidFileAttributes;
}

bool FolderExists(const std::u16string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  const std::uint32_t a = GetFileAttributesW(ForFileCall(path).c_str());
  return a != kInvalidFileAttributes && (a & kFileAttributeDirectory) != 0;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
  if (a.empty() || b.empty()) return false;
  const std::u16string x = Resolved(a), y = Resolved(b);
  return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), true) ==
         kCstrEqual;
}

bool CanWriteFile(const std::u16string& path) {
  const std::u16string call = ForFileCall(path);
  const std::uint32_t a = GetFileAttributesW(call.c_str());
  if (a != kInvalidFileAttributes) {
    if (a & kFileAttributeDirectory) return false;
    return static_cast<bool>(
        UniqueFile(CreateFileW(call.c_str(), kGenericWrite, kFileShareRead | kFileShareWrite, kOpenExisting, 0)));
  }
  // Not under the file's own name: another copy reading it meanwhile must
  // not find it empty. A probe's name already taken (another copy probing
  // at the same moment, or a file of that name) answers nothing: the next
  // name is tried.
  for (char16_t n = u'0'; n <= u'9'; ++n) {
    const std::u16string probe = call + u".probe" + (n == u'0' ? std::u16string() : std::u16string(1, n));
    if (UniqueFile(
            CreateFileW(probe.c_str(), kGenericWrite, 0, kCreateNew, kFileAttributeNormal | kFileFlagDeleteOnClose)))
      return true;
    if (GetLastError() != kErrorFileExists) return false;
  }
  return false;
}

}  // namespace plat
