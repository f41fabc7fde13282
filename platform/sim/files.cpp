// Simulated kernel32 file calls and the current directory, on real files in
// the sandbox, with Windows' rules and error codes:
// - Names are UTF-16, as the "W" calls take them. A name of MAX_PATH (260)
//   characters or more is refused with ERROR_FILENAME_EXCED_RANGE unless it
//   is in the long-path form "\\?\C:\...", as Windows refuses it to a
//   program that has not opted into long paths.
// - What Linux does not keep for a file (a creation time, Windows
//   attributes such as read-only) and the three times as Windows reports
//   them live in a side table keyed by host path: a read-only file cannot be
//   opened for writing, overwritten or deleted; SetFileTime changes exactly
//   the times given.
// - Open handles keep their sharing: a second open that conflicts, or the
//   deletion of an open file, fails with ERROR_SHARING_VIOLATION.
// - A drive can be given a number of free bytes (SetFreeSpace): a write
//   beyond them stops there and fails with ERROR_DISK_FULL. A folder can
//   refuse the creation and deletion of files in it (DenyWrites), as an
//   access-control list does: ERROR_ACCESS_DENIED.
// Every failing call leaves its code in GetLastError().
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sys/stat.h>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

namespace fs = std::filesystem;
using plat::FileTime;

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDelta = 11644473600ull;
constexpr std::uint32_t kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorAlreadyExists = 183;

struct OpenFile {
  std::string key;
  fs::path host;
  bool read, write;
  std::uint32_t share;
  std::FILE* stream;
  bool wrote = false;       // a write happened: the last-write time moves
  bool timesFixed = false;  // SetFileTime was called: the times stay as set
  bool deleteOnClose = false;
};

struct Files {
  std::map<std::string, FileMeta> meta;
  std::map<Handle, OpenFile> open;
  std::map<Handle, std::string> finds;
  std::map<char, std::uint64_t> freeSpace;  // by drive letter; unlimited when absent
  std::set<std::string> denyWrites;         // host keys of folders
  Handle nextFile = 0x104;
  Handle nextFind = 0x30000;
  std::u16string currentDir = u"C:\\";
};

Files& F() {
  static Files f;
  return f;
}

thread_local std::uint32_t t_lastError = 0;

// Sets the last error and returns the value a failing call returns.
template <class T>
T Fail(std::uint32_t code, T result) {
  t_lastError = code;
  return result;
}

FileTime Make(std::uint64_t ticks) {
  return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

FileTime FromTimespec(const timespec& t) {
  return Make((static_cast<std::uint64_t>(t.tv_sec) + kEpochDelta) * 10000000ull +
              static_cast<std::uint64_t>(t.tv_nsec) / 100);
}

std::uint64_t Ticks(const FileTime& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

std::string Key(const fs::path& host) { return host.lexically_normal().string(); }

bool Exists(const fs::path& host) {
  std::error_code ec;
  return fs::exists(host, ec);
}

bool IsFile(const fs::path& host) {
  std::error_code ec;
  return fs::is_regular_file(host, ec);
}

bool IsFolder(const fs::path& host) {
  std::error_code ec;
  return fs::is_directory(host, ec);
}

// The side-table entry of an existing file, made from what the host file
// system reports when the file has none yet.
FileMeta& MetaOf(const fs::path& host) {
  auto [it, added] = F().meta.try_emplace(Key(host));
  if (added) {
    struct stat st {};
    ::stat(host.c_str(), &st);
    it->second.creation = FromTimespec(st.st_mtim);
    it->second.lastAccess = FromTimespec(st.st_atim);
    it->second.lastWrite = FromTimespec(st.st_mtim);
    it->second.attributes = S_ISDIR(st.st_mode) ? plat::kFileAttributeDirectory : plat::kFileAttributeArchive;
  }
  return it->second;
}

// Open through any handle but `except`.
bool OpenAnywhere(const std::string& key, Handle except = 0) {
  return std::any_of(F().open.begin(), F().open.end(),
                     [&](const auto& o) { return o.first != except && o.second.key == key; });
}

bool WritesDenied(const fs::path& folder) { return F().denyWrites.count(Key(folder)) != 0; }

// Windows refuses these characters anywhere in a path except ':' after the
// drive letter; * and ? are wildcards, valid only where a call takes them.
bool ValidName(std::u16string_view name, bool wildcardsInLastPart) {
  const std::size_t last = name.find_last_of(u"\\/");
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    const bool inLast = last == std::u16string_view::npos || i > last;
    if (c < 32 || c == u'<' || c == u'>' || c == u'"' || c == u'|') return false;
    if ((c == u'?' || c == u'*') && !(wildcardsInLastPart && inLast)) return false;
    if (c == u':' && i != 1) return false;
  }
  return !name.empty();
}

std::vector<std::u16string> SortedNames(const fs::path& folder);
std::u16string ShortName(const fs::path& folder, const std::u16string& name);
bool SameNameNoCase(std::u16string_view a, std::u16string_view b);

// The file or folder a host path stands for as Windows finds it: each part
// in any case, or in its short form. Where a part is not found the rest
// stays as it was given.
fs::path Existing(const fs::path& host) {
  if (Exists(host)) return host;
  const fs::path sandbox = HostPath(std::string_view("C:\\")).parent_path();
  const fs::path rel = host.lexically_relative(sandbox);
  if (rel.empty() || rel.begin() == rel.end()) return host;
  fs::path at = sandbox / *rel.begin();
  bool found = true;
  for (auto part = std::next(rel.begin()); part != rel.end(); ++part) {
    const std::u16string name = plat::FromUtf8(part->string());
    std::u16string match;
    if (found && !Exists(at / *part)) {
      for (const std::u16string& entry : SortedNames(at))
        if (SameNameNoCase(entry, name) || SameNameNoCase(ShortName(at, entry), name)) match = entry;
    }
    if (match.empty()) {
      found = found && Exists(at / *part);
      at /= *part;
    } else {
      at /= plat::ToUtf8(match);
    }
  }
  return at;
}

// A name of a "W" call as the host path it stands for; false, with the
// error Windows gives, for one it refuses.
bool Resolve(const char16_t* name, fs::path* host, bool wildcards = false) {
  if (!name) return Fail(plat::kErrorPathNotFound, false);
  std::u16string_view n(name);
  if (n.substr(0, 4) == u"\\\\?\\") {
    n.remove_prefix(4);
    if (n.substr(0, 4) == u"UNC\\") return Fail(plat::kErrorPathNotFound, false);  // no network here
  } else if (n.size() >= plat::kMaxPathChars) {
    return Fail(plat::kErrorFilenameExcedRange, false);
  }
  if (!ValidName(n, wildcards)) return Fail(plat::kErrorInvalidName, false);
  *host = Existing(HostPath(n));
  return true;
}

// Windows' answer for a name whose folder or file is missing.
std::uint32_t MissingError(const fs::path& host) {
  return IsFolder(host.parent_path()) ? static_cast<std::uint32_t>(plat::kErrorFileNotFound) : plat::kErrorPathNotFound;
}

char DriveOf(const fs::path& host) {
  const fs::path rel = host.lexically_relative(HostPath(std::string_view("C:\\")).parent_path());
  const std::string first = rel.empty() ? std::string() : rel.begin()->string();
  return first.size() == 1 ? first[0] : '\0';
}

std::uint64_t SizeOf(const fs::path& host) {
  std::error_code ec;
  const auto size = fs::file_size(host, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

// The bytes of a file that is about to go count as free again.
void Credit(const fs::path& host) {
  if (auto space = F().freeSpace.find(DriveOf(host)); space != F().freeSpace.end()) space->second += SizeOf(host);
}

// Case-insensitive match of one name against a pattern of * and ?.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  auto lower = [](char16_t c) { return c < 128 ? static_cast<char16_t>(std::tolower(c)) : c; };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::string Show(const char16_t* s) { return s ? plat::ToUtf8(s) : std::string("(null)"); }

FileTime NowTime() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  return Make(static_cast<std::uint64_t>(ticks) + kEpochDelta * 10000000ull);
}

bool Valid83Char(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         std::u16string_view(u"!#$%&'()-@^_`{}~").find(c) != std::u16string_view::npos;
}

char16_t Upper83(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// A name that is an 8.3 name already: up to eight characters, and up to
// three after one dot.
bool Is83(std::u16string_view name) {
  const std::size_t dot = name.find(u'.');
  const std::u16string_view base = name.substr(0, dot);
  const std::u16string_view ext = dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find(u'.') != std::u16string_view::npos) return false;
  if (dot != std::u16string_view::npos && ext.empty()) return false;
  return std::all_of(base.begin(), base.end(), Valid83Char) && std::all_of(ext.begin(), ext.end(), Valid83Char);
}

// "Program Files" as "PROGRA" and "", "report.final.txt" as "REPORT" and "TXT".
std::pair<std::u16string, std::u16string> ShortStem(std::u16string_view name) {
  const std::size_t dot = name.find_last_of(u'.');
  const std::u16string_view base = dot == 0 || dot == std::u16string_view::npos ? name : name.substr(0, dot);
  const std::u16string_view ext =
      dot == 0 || dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
  auto take = [](std::u16string_view from, std::size_t n) {
    std::u16string out;
    for (char16_t c : from) {
      if (out.size() == n) break;
      if (c == u' ' || c == u'.') continue;
      out += Valid83Char(c) ? Upper83(c) : u'_';
    }
    return out;
  };
  return {take(base, 6), take(ext, 3)};
}

std::vector<std::u16string> SortedNames(const fs::path& folder) {
  std::vector<std::u16string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(plat::FromUtf8(entry.path().filename().string()));
  std::sort(names.begin(), names.end());
  return names;
}

// The short form of the name `name` in the host folder `folder`.
std::u16string ShortName(const fs::path& folder, const std::u16string& name) {
  if (Is83(name)) return name;
  const auto stem = ShortStem(name);
  int n = 0;
  for (const std::u16string& other : SortedNames(folder)) {
    if (Is83(other) || ShortStem(other) != stem) continue;
    ++n;
    if (other == name) break;
  }
  std::u16string out = stem.first + u"~" + plat::FromUtf8(std::to_string(n));
  return stem.second.empty() ? out : out + u"." + stem.second;
}

bool SameNameNoCase(std::u16string_view a, std::u16string_view b) {
  return plat::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), true) ==
         plat::kCstrEqual;
}

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

namespace detail {
void ResetFiles() {
  for (auto& [h, f] : F().open)
    if (f.stream) std::fclose(f.stream);
  F() = Files{};
  t_lastError = 0;
}
}  // namespace detail

std::optional<FileMeta> FileInfo(std::string_view windowsPath) {
  const fs::path host = HostPath(windowsPath);
  if (!Exists(host)) return std::nullopt;
  return MetaOf(host);
}

std::size_t OpenFindHandles() { return F().finds.size(); }
std::size_t OpenFileHandles() { return F().open.size(); }

void SetFreeSpace(char drive, std::optional<std::uint64_t> bytes) {
  const char d = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
  if (bytes)
    F().freeSpace[d] = *bytes;
  else
    F().freeSpace.erase(d);
}

std::u16string ShortPath(std::u16string_view windowsPath) {
  if (windowsPath.size() < 3 || windowsPath[1] != u':') return std::u16string(windowsPath);
  std::u16string out(windowsPath.substr(0, 3));
  fs::path host = HostPath(windowsPath.substr(0, 3));
  std::size_t i = 3;
  while (i < windowsPath.size()) {
    std::size_t j = windowsPath.find_first_of(u"\\/", i);
    if (j == std::u16string_view::npos) j = windowsPath.size();
    const std::u16string part(windowsPath.substr(i, j - i));
    if (out.back() != u'\\') out += u'\\';
    out += ShortName(host, part);
    host /= plat::ToUtf8(part);
    i = j + 1;
  }
  return out;
}

void DenyWrites(std::string_view windowsFolder, bool deny) {
  const std::string key = Key(HostPath(windowsFolder));
  if (deny)
    F().denyWrites.insert(key);
  else
    F().denyWrites.erase(key);
}

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

std::uint32_t GetLastError() { return sim::t_lastError; }
void SetLastError(std::uint32_t dwErrCode) { sim::t_lastError = dwErrCode; }

static Handle RawFindFirstFileW(const char16_t* lpFileName, Win32FindDataW* lpFindFileData) {
  Log("FindFirstFileW(" + sim::Show(lpFileName) + ")");
  std::int32_t code = 0;
  if (Fault("FindFirstFileW", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorFileNotFound), kInvalidHandleValue);
  std::filesystem::path host;
  if (!lpFindFileData || !sim::Resolve(lpFileName, &host, true)) return kInvalidHandleValue;
  const std::filesystem::path hostDir = host.parent_path();
  const std::u16string pattern = FromUtf8(host.filename().string());
  if (pattern.empty()) return sim::Fail(kErrorFileNotFound, kInvalidHandleValue);
  if (!sim::IsFolder(hostDir)) return sim::Fail(kErrorPathNotFound, kInvalidHandleValue);

  std::vector<std::u16string> found;
  if (pattern.find_first_of(u"*?") == std::u16string::npos) {
    if (sim::Exists(host)) found.push_back(pattern);
  } else {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(hostDir, ec)) {
      std::u16string entryName = FromUtf8(entry.path().filename().string());
      if (sim::Matches(pattern, entryName)) found.push_back(std::move(entryName));
    }
    std::sort(found.begin(), found.end(), [](const std::u16string& a, const std::u16string& b) {
      return sim::detail::Lower(ToUtf8(a)) < sim::detail::Lower(ToUtf8(b));
    });
  }
  if (found.empty()) return sim::Fail(kErrorFileNotFound, kInvalidHandleValue);

  const std::filesystem::path match = hostDir / ToUtf8(found.front());
  const sim::FileMeta& m = sim::MetaOf(match);
  Win32FindDataW d{};
  d.dwFileAttributes = m.attributes == 0 ? kFileAttributeNormal : m.attributes;
  d.ftCreationTime = m.creation;
  d.ftLastAccessTime = m.lastAccess;
  d.ftLastWriteTime = m.lastWrite;
  const std::uint64_t size = sim::IsFile(match) ? sim::SizeOf(match) : 0;
  d.nFileSizeHigh = static_cast<std::uint32_t>(size >> 32);
  d.nFileSizeLow = static_cast<std::uint32_t>(size);
  found.front().copy(d.cFileName, std::size(d.cFileName) - 1);
  *lpFindFileData = d;
  const Handle h = sim::F().nextFind++;
  sim::F().finds[h] = sim::Key(match);
  return h;
}

static bool RawFindClose(Handle hFindFile) {
  Log("FindClose(" + std::to_string(hFindFile) + ")");
  if (sim::F().finds.erase(hFindFile) != 1) return sim::Fail(sim::kErrorInvalidHandle, false);
  return true;
}

std::uint32_t GetFileAttributesW(const char16_t* lpFileName) {
  Log("GetFileAttributesW(" + sim::Show(lpFileName) + ")");
  std::int32_t code = 0;
  if (Fault("GetFileAttributesW", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorFileNotFound), kInvalidFileAttributes);
  std::filesystem::path host;
  if (!sim::Resolve(lpFileName, &host)) return kInvalidFileAttributes;
  if (!sim::Exists(host)) return sim::Fail(sim::MissingError(host), kInvalidFileAttributes);
  const std::uint32_t a = sim::MetaOf(host).attributes;
  return a == 0 ? kFileAttributeNormal : a;
}

bool SetFileAttributesW(const char16_t* lpFileName, std::uint32_t dwFileAttributes) {
  Log("SetFileAttributesW(" + sim::Show(lpFileName) + "," + std::to_string(dwFileAttributes) + ")");
  std::int32_t code = 0;
  if (Fault("SetFileAttributesW", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorAccessDenied), false);
  std::filesystem::path host;
  if (!sim::Resolve(lpFileName, &host)) return false;
  if (!sim::Exists(host)) return sim::Fail(sim::MissingError(host), false);
  sim::FileMeta& m = sim::MetaOf(host);
  m.attributes = (dwFileAttributes & sim::kSettableAttributes) | (m.attributes & kFileAttributeDirectory);
  return true;
}

static Handle RawCreateFileW(const char16_t* lpFileName, std::uint32_t dwDesiredAccess, std::uint32_t dwShareMode,
                             std::uint32_t dwCreationDisposition, std::uint32_t dwFlagsAndAttributes) {
  Log("CreateFileW(" + sim::Show(lpFileName) + "," + std::to_string(dwCreationDisposition) + ")");
  std::int32_t code = 0;
  if (Fault("CreateFileW", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorAccessDenied), kInvalidHandleValue);
  std::filesystem::path host;
  if (!sim::Resolve(lpFileName, &host)) return kInvalidHandleValue;
  if (!sim::IsFolder(host.parent_path())) return sim::Fail(kErrorPathNotFound, kInvalidHandleValue);
  if (sim::IsFolder(host)) return sim::Fail(kErrorAccessDenied, kInvalidHandleValue);
  const bool exists = sim::Exists(host);
  const bool read = (dwDesiredAccess & kGenericRead) != 0;
  const bool write = (dwDesiredAccess & kGenericWrite) != 0;
  const std::string key = sim::Key(host);

  const bool deleteOnClose = (dwFlagsAndAttributes & kFileFlagDeleteOnClose) != 0;
  if (dwCreationDisposition != kCreateAlways && dwCreationDisposition != kOpenExisting &&
      dwCreationDisposition != kCreateNew)
    return sim::Fail(sim::kErrorInvalidParameter, kInvalidHandleValue);
  if (dwCreationDisposition == kOpenExisting && !exists) return sim::Fail(kErrorFileNotFound, kInvalidHandleValue);
  if (dwCreationDisposition == kCreateNew && exists) return sim::Fail(kErrorFileExists, kInvalidHandleValue);
  if (exists) {
    const std::uint32_t a = sim::MetaOf(host).attributes;
    const std::uint32_t refused = dwCreationDisposition == kCreateAlways
                                      ? kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem
                                      : kFileAttributeReadOnly;
    if (write && (a & refused)) return sim::Fail(kErrorAccessDenied, kInvalidHandleValue);
  }
  if ((write || deleteOnClose || dwCreationDisposition != kOpenExisting) && sim::WritesDenied(host.parent_path()))
    return sim::Fail(kErrorAccessDenied, kInvalidHandleValue);
  for (const auto& [h, other] : sim::F().open) {
    if (other.key != key) continue;
    if ((other.write && !(dwShareMode & kFileShareWrite)) || (other.read && !(dwShareMode & kFileShareRead)) ||
        (write && !(other.share & kFileShareWrite)) || (read && !(other.share & kFileShareRead)))
      return sim::Fail(kErrorSharingViolation, kInvalidHandleValue);
  }

  const bool create = dwCreationDisposition != kOpenExisting;
  if (create && exists) sim::Credit(host);  // the old content goes
  std::FILE* stream = std::fopen(host.c_str(), create ? "w+b" : (write ? "r+b" : "rb"));
  if (!stream) return sim::Fail(kErrorAccessDenied, kInvalidHandleValue);
  if (create) {
    const FileTime now = sim::NowTime();
    sim::FileMeta fresh{now, now, now, kFileAttributeArchive};
    if (exists) fresh.creation = sim::MetaOf(host).creation;  // an overwritten file keeps it, as on Windows
    sim::F().meta[key] = fresh;
  }
  const Handle h = sim::F().nextFile;
  sim::F().nextFile += 4;
  sim::F().open[h] = {key, host, read, write, dwShareMode, stream, false, false, deleteOnClose};
  sim::t_lastError = create && exists ? sim::kErrorAlreadyExists : 0;
  return h;
}

static bool RawWriteFile(Handle hFile, const void* lpBuffer, std::uint32_t nNumberOfBytesToWrite,
                         std::uint32_t* lpNumberOfBytesWritten) {
  Log("WriteFile(" + std::to_string(hFile) + "," + std::to_string(nNumberOfBytesToWrite) + ")");
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto it = sim::F().open.find(hFile);
  if (it == sim::F().open.end()) return sim::Fail(sim::kErrorInvalidHandle, false);
  if (!it->second.write) return sim::Fail(kErrorAccessDenied, false);
  std::uint32_t n = nNumberOfBytesToWrite;
  std::uint32_t error = 0;
  std::int32_t code = 0;
  if (Fault("WriteFile", &code)) {  // fails half-way, as a full disk or a lost drive would
    n /= 2;
    error = code ? static_cast<std::uint32_t>(code) : kErrorDiskFull;
  }
  auto space = sim::F().freeSpace.find(sim::DriveOf(it->second.host));
  if (space != sim::F().freeSpace.end() && n > space->second) {
    n = static_cast<std::uint32_t>(space->second);
    error = kErrorDiskFull;
  }
  const std::size_t out = n ? std::fwrite(lpBuffer, 1, n, it->second.stream) : 0;
  it->second.wrote = true;
  if (space != sim::F().freeSpace.end()) space->second -= out;
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = static_cast<std::uint32_t>(out);
  if (out != n && error == 0) error = kErrorDiskFull;
  return error ? sim::Fail(error, false) : true;
}

static bool RawCloseHandle(Handle hObject) {
  Log("CloseHandle(" + std::to_string(hObject) + ")");
  auto it = sim::F().open.find(hObject);
  if (it == sim::F().open.end()) return sim::Fail(sim::kErrorInvalidHandle, false);
  const bool flushed = std::fclose(it->second.stream) == 0;
  if (it->second.wrote && !it->second.timesFixed) {
    sim::FileMeta& m = sim::MetaOf(it->second.host);
    m.lastWrite = m.lastAccess = sim::NowTime();
    m.attributes |= kFileAttributeArchive;
  }
  if (it->second.deleteOnClose && !sim::OpenAnywhere(it->second.key, hObject)) {
    sim::Credit(it->second.host);
    std::error_code ec;
    std::filesystem::remove(it->second.host, ec);
    sim::F().meta.erase(it->second.key);
  }
  sim::F().open.erase(it);
  return flushed ? true : sim::Fail(kErrorDiskFull, false);
}

bool DeleteFileW(const char16_t* lpFileName) {
  Log("DeleteFileW(" + sim::Show(lpFileName) + ")");
  std::int32_t code = 0;
  if (Fault("DeleteFileW", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorAccessDenied), false);
  std::filesystem::path host;
  if (!sim::Resolve(lpFileName, &host)) return false;
  if (!sim::Exists(host)) return sim::Fail(sim::MissingError(host), false);
  if (!sim::IsFile(host) || (sim::MetaOf(host).attributes & kFileAttributeReadOnly) ||
      sim::WritesDenied(host.parent_path()))
    return sim::Fail(kErrorAccessDenied, false);
  if (sim::OpenAnywhere(sim::Key(host))) return sim::Fail(kErrorSharingViolation, false);
  sim::Credit(host);
  std::error_code ec;
  std::filesystem::remove(host, ec);
  sim::F().meta.erase(sim::Key(host));
  return true;
}

static bool RawSetFileTime(Handle hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                           const FileTime* lpLastWriteTime) {
  Log("SetFileTime(" + std::to_string(hFile) + ")");
  std::int32_t code = 0;
  if (Fault("SetFileTime", &code))
    return sim::Fail(static_cast<std::uint32_t>(code ? code : kErrorAccessDenied), false);
  auto it = sim::F().open.find(hFile);
  if (it == sim::F().open.end()) return sim::Fail(sim::kErrorInvalidHandle, false);
  if (!it->second.write) return sim::Fail(kErrorAccessDenied, false);
  sim::FileMeta& m = sim::MetaOf(it->second.host);
  // A missing time, 0, or all bits set ("stop updating it") changes nothing.
  auto set = [](FileTime& to, const FileTime* from) {
    if (from && sim::Ticks(*from) != 0 && sim::Ticks(*from) != ~std::uint64_t{0}) to = *from;
  };
  set(m.creation, lpCreationTime);
  set(m.lastAccess, lpLastAccessTime);
  set(m.lastWrite, lpLastWriteTime);
  it->second.timesFixed = true;
  return true;
}

void ChDir(const std::u16string& path) {
  Log("ChDir(" + ToUtf8(path) + ")");
  std::filesystem::path host;
  // SetCurrentDirectory stops two characters short of MAX_PATH.
  if (path.empty() || path.size() >= kMaxPathChars - 2 || Fault("ChDir") || !sim::Resolve(path.c_str(), &host) ||
      !sim::IsFolder(host))
    Raise(kErrPathNotFound);
  std::vector<char16_t> full(kLongestPath);
  if (GetFullPathNameW(path.c_str(), kLongestPath, full.data()) < kLongestPath) sim::F().currentDir = full.data();
}

namespace {

// Copies a result out as both calls do: its length when it fits with its
// NUL, else the size it needs.
std::uint32_t CopyPath(const std::u16string& path, char16_t* buffer, std::uint32_t size) {
  const auto length = static_cast<std::uint32_t>(path.size());
  if (!buffer || size <= length) return length + 1;
  std::copy(path.begin(), path.end(), buffer);
  buffer[length] = u'\0';
  return length;
}

}  // namespace

std::uint32_t GetFullPathNameW(const char16_t* lpFileName, std::uint32_t nBufferLength, char16_t* lpBuffer) {
  Log("GetFullPathNameW(" + sim::Show(lpFileName) + ")");
  if (!lpFileName || !*lpFileName) return sim::Fail(kErrorInvalidName, 0u);
  std::u16string name(lpFileName);
  // The long-path form keeps its prefix; what follows is resolved all the same.
  const std::u16string prefix = name.substr(0, 4) == u"\\\\?\\" ? u"\\\\?\\" : u"";
  name.erase(0, prefix.size());
  for (auto& c : name)
    if (c == u'/') c = u'\\';
  const std::u16string& cwd = sim::F().currentDir;
  std::u16string root, rest;
  if (name.size() >= 2 && name[1] == u':') {
    root = name.substr(0, 2);
    rest = name.size() > 2 && name[2] == u'\\'           ? name.substr(2)
           : sim::SameNameNoCase(cwd.substr(0, 2), root) ? cwd.substr(2) + u"\\" + name.substr(2)
                                                         : u"\\" + name.substr(2);
  } else if (name.size() >= 2 && name[0] == u'\\' && name[1] == u'\\') {
    const std::size_t server = name.find(u'\\', 2);
    const std::size_t share = server == std::u16string::npos ? server : name.find(u'\\', server + 1);
    root = name.substr(0, share);
    rest = share == std::u16string::npos ? std::u16string() : name.substr(share);
  } else {
    root = cwd.substr(0, 2);
    rest = name[0] == u'\\' ? name : cwd.substr(2) + u"\\" + name;
  }
  std::vector<std::u16string> parts;
  for (std::size_t i = 0; i <= rest.size();) {
    std::size_t j = rest.find(u'\\', i);
    if (j == std::u16string::npos) j = rest.size();
    const std::u16string part = rest.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::u16string full = prefix + root;
  for (const auto& part : parts) full += u"\\" + part;
  if (parts.empty() || (!rest.empty() && rest.back() == u'\\')) full += u'\\';
  return CopyPath(full, lpBuffer, nBufferLength);
}

std::uint32_t GetLongPathNameW(const char16_t* lpszShortPath, char16_t* lpszLongPath, std::uint32_t cchBuffer) {
  Log("GetLongPathNameW(" + sim::Show(lpszShortPath) + ")");
  std::filesystem::path host;
  if (!sim::Resolve(lpszShortPath, &host)) return 0;
  std::u16string_view name(lpszShortPath);
  std::size_t start = name.substr(0, 4) == u"\\\\?\\" ? 4 : 0;
  if (name.size() < start + 3 || name[start + 1] != u':' || !sim::IsSep(name[start + 2]))
    return sim::Fail(kErrorInvalidName, 0u);  // only absolute paths on a drive here
  std::u16string out(name.substr(0, start + 3));
  std::filesystem::path at = sim::HostPath(name.substr(start, 3));
  for (std::size_t i = start + 3; i < name.size();) {
    std::size_t j = name.find_first_of(u"\\/", i);
    if (j == std::u16string_view::npos) j = name.size();
    const std::u16string part(name.substr(i, j - i));
    const bool last = j >= name.size() - 1;
    if (!part.empty()) {
      std::u16string found;
      if (part == u"." || part == u"..") {
        found = part;
      } else {
        for (const std::u16string& entry : sim::SortedNames(at))
          if (sim::SameNameNoCase(entry, part) || sim::SameNameNoCase(sim::ShortName(at, entry), part)) found = entry;
      }
      if (found.empty()) return sim::Fail(last ? kErrorFileNotFound : kErrorPathNotFound, 0u);
      at /= ToUtf8(found);
      out += found;
    }
    if (j < name.size()) out += name[j];
    i = j + 1;
  }
  return CopyPath(out, lpszLongPath, cchBuffer);
}

// The typed edge of the seam: the handlers above work on the simulated
// platform's own numbering.
Hfind FindFirstFileW(const char16_t* lpFileName, Win32FindDataW* lpFindFileData) {
  return HandleOf<Hfind>(RawFindFirstFileW(lpFileName, lpFindFileData));
}
bool FindClose(Hfind hFindFile) { return RawFindClose(RawHandle(hFindFile)); }
Hfile CreateFileW(const char16_t* lpFileName, std::uint32_t dwDesiredAccess, std::uint32_t dwShareMode,
                  std::uint32_t dwCreationDisposition, std::uint32_t dwFlagsAndAttributes) {
  return HandleOf<Hfile>(
      RawCreateFileW(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes));
}
bool WriteFile(Hfile hFile, const void* lpBuffer, std::uint32_t nNumberOfBytesToWrite,
               std::uint32_t* lpNumberOfBytesWritten) {
  return RawWriteFile(RawHandle(hFile), lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten);
}
bool CloseHandle(Hfile hObject) { return RawCloseHandle(RawHandle(hObject)); }
bool SetFileTime(Hfile hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                 const FileTime* lpLastWriteTime) {
  return RawSetFileTime(RawHandle(hFile), lpCreationTime, lpLastAccessTime, lpLastWriteTime);
}

}  // namespace plat
