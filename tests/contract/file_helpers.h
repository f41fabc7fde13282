// Shared by the file and JPEG contract tests: file times from calendar
// seconds, and looking a file up or stamping its times through the
// platform's own calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "platform/api.h"

namespace plat {
inline bool operator==(const FileTime& a, const FileTime& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}
inline void PrintTo(const FileTime& t, std::ostream* os) {
  *os << ((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
}
}  // namespace plat

namespace varnel::testing {

// A file time from seconds since 1970-01-01 UTC.
inline plat::FileTime FileTimeAt(std::int64_t unixSeconds) {
  const auto ticks = static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
  return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

// Three distinct times well in the past: 2001-02-03, 2002-03-04, 2003-04-05.
inline const plat::FileTime kCreated = FileTimeAt(981173106);
inline const plat::FileTime kAccessed = FileTimeAt(1015218367);
inline const plat::FileTime kWritten = FileTimeAt(1049522828);

inline std::optional<plat::Win32FindDataW> Lookup(const std::u16string& path) {
  plat::Win32FindDataW d{};
  const plat::Hfind h = plat::FindFirstFileW(path.c_str(), &d);
  if (h == plat::kInvalidFind) return std::nullopt;
  EXPECT_TRUE(plat::FindClose(h));
  return d;
}

// Sets the three times of an existing file; false when it cannot.
inline bool Stamp(const std::u16string& path, const plat::FileTime& created, const plat::FileTime& accessed,
                  const plat::FileTime& written) {
  const plat::Hfile f =
      plat::CreateFileW(path.c_str(), plat::kGenericWrite, plat::kFileShareRead, plat::kOpenExisting, 0);
  if (f == plat::kInvalidFile) return false;
  const bool ok = plat::SetFileTime(f, &created, &accessed, &written);
  return plat::CloseHandle(f) && ok;
}

inline bool SetAttributes(const std::u16string& path, std::uint32_t attributes) {
  return plat::SetFileAttributesW(path.c_str(), attributes);
}

}  // namespace varnel::testing
