// The file services over the platform's wide file calls, for both backends.
#include "platform/files.h"

#include "platform/api.h"
#include "platform/error.h"
#include "platform/handles.h"
#include "platform/long_path.h"

namespace plat {

namespace {

bool HasWildcard(const std::u16string& path) { return path.find_first_of(u"*?") != std::u16string::npos; }

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

}  // namespace plat
