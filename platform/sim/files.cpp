// Simulated kernel32 file calls and the toolkit's file services (length,
// deletion, current directory, existence), on real files in the sandbox. What Linux does not keep for a file (a creation
// time, Windows attributes such as read-only) and the three times as
// Windows reports them live in a side table keyed by host path, so they
// behave as on Windows: a read-only file cannot be opened for writing,
// overwritten or deleted; SetFileTime changes exactly the times given.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <sys/stat.h>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/sim/state.h"
#include "platform/text.h"
#include "platform/toolkit.h"

namespace sim {

namespace {

namespace fs = std::filesystem;
using plat::FileTime;

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDelta = 11644473600ull;
constexpr std::uint32_t kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;

struct OpenFile {
  std::string key;
  bool write;
};

struct Files {
  std::map<std::string, FileMeta> meta;
  std::map<plat::HFile, OpenFile> open;
  std::map<Handle, std::string> finds;
  plat::HFile nextFile = 0x104;
  Handle nextFind = 0x30000;
};

Files& F() {
  static Files f;
  return f;
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

// Windows refuses these characters anywhere in a path except ':' after the
// drive letter; * and ? are wildcards, valid only where a call takes them.
bool ValidName(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 32 || std::strchr("<>\"|?*", c) != nullptr) return false;
    if (c == ':' && i != 1) return false;
  }
  return !name.empty();
}

// The side-table entry of an existing file, made from what the host file
// system reports when the file has none yet.
FileMeta& MetaOf(const fs::path& host) {
  auto [it, added] = F().meta.try_emplace(Key(host));
  if (added) {
    struct stat st{};
    ::stat(host.c_str(), &st);
    it->second.creation = FromTimespec(st.st_mtim);
    it->second.lastAccess = FromTimespec(st.st_atim);
    it->second.lastWrite = FromTimespec(st.st_mtim);
    it->second.attributes = S_ISDIR(st.st_mode) ? plat::kFileAttributeDirectory : plat::kFileAttributeArchive;
  }
  return it->second;
}

bool Exists(const fs::path& host) {
  std::error_code ec;
  return fs::exists(host, ec);
}

bool IsFile(const fs::path& host) {
  std::error_code ec;
  return fs::is_regular_file(host, ec);
}

bool OpenAnywhere(const std::string& key) {
  return std::any_of(F().open.begin(), F().open.end(), [&](const auto& o) { return o.second.key == key; });
}

// Case-insensitive match of one name against a pattern of * and ?.
bool Matches(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string Show(const char* s) { return s ? std::string(s) : std::string("(null)"); }

}  // namespace

namespace detail {

void ResetFiles() { F() = Files{}; }

FileTime Now() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  return Make(static_cast<std::uint64_t>(ticks) + kEpochDelta * 10000000ull);
}

bool ValidFileName(std::string_view windowsName) { return ValidName(windowsName); }

bool Writable(const fs::path& host) {
  if (!Exists(host)) return true;
  if (!IsFile(host) || OpenAnywhere(Key(host))) return false;
  const std::uint32_t a = MetaOf(host).attributes;
  return (a & (plat::kFileAttributeReadOnly | plat::kFileAttributeHidden | plat::kFileAttributeSystem)) == 0;
}

void FileWritten(const fs::path& host, bool replaced) {
  const FileTime now = Now();
  FileMeta fresh{now, now, now, plat::kFileAttributeArchive};
  // An overwritten file keeps its creation time, as on Windows.
  if (replaced) fresh.creation = MetaOf(host).creation;
  F().meta[Key(host)] = fresh;
}

void ResetFileMeta(const fs::path& host) { F().meta.erase(Key(host)); }

}  // namespace detail

std::optional<FileMeta> FileInfo(std::string_view windowsPath) {
  const fs::path host = HostPath(windowsPath);
  if (!Exists(host)) return std::nullopt;
  return MetaOf(host);
}

std::size_t OpenFindHandles() { return F().finds.size(); }
std::size_t OpenFileHandles() { return F().open.size(); }

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

Handle FindFirstFileA(const char* lpFileName, Win32FindDataA* lpFindFileData) {
  Log("FindFirstFileA(" + sim::Show(lpFileName) + ")");
  if (!lpFileName || !lpFindFileData || Fault("FindFirstFileA")) return kInvalidHandleValue;
  const std::string name(lpFileName);
  const auto slash = name.find_last_of('\\');
  const std::string dir = slash == std::string::npos ? std::string() : name.substr(0, slash);
  const std::string pattern = slash == std::string::npos ? name : name.substr(slash + 1);
  if (pattern.empty() || !sim::ValidName(dir.empty() ? "x" : dir)) return kInvalidHandleValue;
  const std::filesystem::path hostDir = sim::HostPath(dir);

  std::vector<std::string> found;
  if (pattern.find_first_of("*?") == std::string::npos) {
    if (sim::ValidName(pattern) && sim::Exists(hostDir / pattern)) found.push_back(pattern);
  } else {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(hostDir, ec)) {
      const std::string entryName = entry.path().filename().string();
      if (sim::Matches(pattern, entryName)) found.push_back(entryName);
    }
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return sim::detail::Lower(a) < sim::detail::Lower(b); });
  }
  if (found.empty()) return kInvalidHandleValue;

  const std::filesystem::path host = hostDir / found.front();
  const sim::FileMeta& m = sim::MetaOf(host);
  Win32FindDataA d{};
  d.dwFileAttributes = m.attributes == 0 ? kFileAttributeNormal : m.attributes;
  d.ftCreationTime = m.creation;
  d.ftLastAccessTime = m.lastAccess;
  d.ftLastWriteTime = m.lastWrite;
  std::error_code ec;
  const std::uintmax_t size = sim::IsFile(host) ? std::filesystem::file_size(host, ec) : 0;
  d.nFileSizeHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(size) >> 32);
  d.nFileSizeLow = static_cast<std::uint32_t>(size);
  std::strncpy(d.cFileName, found.front().c_str(), sizeof d.cFileName - 1);
  *lpFindFileData = d;
  const Handle h = sim::F().nextFind++;
  sim::F().finds[h] = sim::Key(host);
  return h;
}

bool FindClose(Handle hFindFile) {
  Log("FindClose(" + std::to_string(hFindFile) + ")");
  return sim::F().finds.erase(hFindFile) == 1;
}

HFile _lopen(const char* lpPathName, std::int32_t iReadWrite) {
  Log("_lopen(" + sim::Show(lpPathName) + "," + std::to_string(iReadWrite) + ")");
  if (!lpPathName || !sim::ValidName(lpPathName) || Fault("_lopen")) return kHFileError;
  const auto host = sim::HostPath(lpPathName);
  if (!sim::IsFile(host)) return kHFileError;
  const bool write = (iReadWrite & 3) != kOfRead;
  if (write && (sim::MetaOf(host).attributes & kFileAttributeReadOnly)) return kHFileError;
  const HFile f = sim::F().nextFile;
  sim::F().nextFile += 4;
  sim::F().open[f] = {sim::Key(host), write};
  return f;
}

HFile _lclose(HFile hFile) {
  Log("_lclose(" + std::to_string(hFile) + ")");
  return sim::F().open.erase(hFile) == 1 ? 0 : kHFileError;
}

bool SetFileTime(Handle hFile, const FileTime* lpCreationTime, const FileTime* lpLastAccessTime,
                 const FileTime* lpLastWriteTime) {
  Log("SetFileTime(" + std::to_string(hFile) + ")");
  if (Fault("SetFileTime")) return false;
  auto it = sim::F().open.find(static_cast<HFile>(hFile));
  if (it == sim::F().open.end() || HandleOf(it->first) != hFile || !it->second.write) return false;
  sim::FileMeta& m = sim::MetaOf(it->second.key);
  // A missing time, 0, or all bits set ("stop updating it") changes nothing.
  auto set = [](FileTime& to, const FileTime* from) {
    if (from && sim::Ticks(*from) != 0 && sim::Ticks(*from) != ~std::uint64_t{0}) to = *from;
  };
  set(m.creation, lpCreationTime);
  set(m.lastAccess, lpLastAccessTime);
  set(m.lastWrite, lpLastWriteTime);
  return true;
}

bool SetFileAttributesA(const char* lpFileName, std::uint32_t dwFileAttributes) {
  Log("SetFileAttributesA(" + sim::Show(lpFileName) + "," + std::to_string(dwFileAttributes) + ")");
  if (!lpFileName || !sim::ValidName(lpFileName) || Fault("SetFileAttributesA")) return false;
  const auto host = sim::HostPath(lpFileName);
  if (!sim::Exists(host)) return false;
  sim::FileMeta& m = sim::MetaOf(host);
  m.attributes = (dwFileAttributes & sim::kSettableAttributes) | (m.attributes & kFileAttributeDirectory);
  return true;
}

void Kill(const std::u16string& path) {
  const std::string name = ToAnsi(path);
  Log("Kill(" + name + ")");
  if (!sim::ValidName(name)) Raise(kErrBadFileName);
  const auto host = sim::HostPath(name);
  if (!sim::Exists(host.parent_path())) Raise(kErrPathNotFound);
  if (!sim::IsFile(host)) Raise(kErrFileNotFound);
  if (Fault("Kill") || (sim::MetaOf(host).attributes & kFileAttributeReadOnly) || sim::OpenAnywhere(sim::Key(host)))
    Raise(kErrFileAccess);
  std::error_code ec;
  if (!std::filesystem::remove(host, ec)) Raise(kErrFileAccess);
  sim::detail::ResetFileMeta(host);
}

std::int64_t FileLen(const std::u16string& path) {
  const auto host = sim::HostPath(ToAnsi(path));
  std::error_code ec;
  const auto size = std::filesystem::file_size(host, ec);
  if (ec || !sim::IsFile(host)) Raise(kErrFileNotFound);
  return static_cast<std::int64_t>(size);
}

void ChDir(const std::u16string& path) {
  const std::string name = ToAnsi(path);
  Log("ChDir(" + name + ")");
  std::error_code ec;
  if (name.empty() || Fault("ChDir") || !std::filesystem::is_directory(sim::HostPath(name), ec))
    Raise(kErrPathNotFound);
}

bool FileExists(const std::u16string& path) { return sim::Exists(sim::HostPath(ToAnsi(path))); }

bool FolderExists(const std::u16string& path) {
  std::error_code ec;
  return sim::detail::ValidFileName(ToUtf8(path)) && std::filesystem::is_directory(sim::HostPath(path), ec);
}

}  // namespace plat
