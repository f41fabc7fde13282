// Simulated private-profile functions, working on real files in the
// sandbox with Windows' documented rules: case-insensitive section and key
// names, values trimmed of surrounding blanks and of one pair of matching
// quotes, results cut to the buffer, keys replaced in place and new keys
// appended to their section, the file created with its section.
//
// A file is kept in the form it is found in: Unicode when it begins with
// the UTF-16 LE byte-order mark, otherwise (and when new) Windows-1252, the
// simulated ANSI code page, where a character it lacks is written as '?'.
// As on Windows, a file saved as UTF-8 is read in the code page too, its
// byte-order mark (if any) and every byte above 127 a character of it.
// The "A" calls take and give text in that code page, the "W" calls UTF-16.
#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <type_traits>

#include "platform/api.h"
#include "platform/profile_file.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace plat {

namespace {

namespace fs = std::filesystem;

constexpr char kMark[] = "\xFF\xFE";

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::u16string Trim(std::u16string_view s) {
  const char16_t* ws = u" \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::u16string_view::npos) return {};
  auto e = s.find_last_not_of(ws);
  return std::u16string(s.substr(b, e - b + 1));
}

std::string ToUtf16Le(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::u16string FromUtf16Le(std::string_view bytes) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    out +=
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return out;
}

std::optional<std::string> ReadBytes(const fs::path& host) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Profile {
  std::vector<std::u16string> lines;
  bool unicode = false;
};

Profile Load(const fs::path& host) {
  Profile p;
  const std::string bytes = ReadBytes(host).value_or(std::string());
  p.unicode = bytes.compare(0, 2, kMark) == 0;
  const std::u16string text = p.unicode ? FromUtf16Le(std::string_view(bytes).substr(2)) : FromAnsi(bytes);
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    p.lines.push_back(std::move(line));
    start = end + 1;
  }
  return p;
}

// Through the simulated kernel32, so that its rules hold here too: a
// missing folder, a name Windows refuses, a read-only file, a folder that
// denies writes, a full disk.
bool WriteWhole(const std::u16string& path, const std::string& bytes) {
  const Hfile h = CreateFileW(path.c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal);
  if (h == kInvalidFile) return false;
  std::uint32_t written = 0;
  const auto size = static_cast<std::uint32_t>(bytes.size());
  const bool ok = WriteFile(h, bytes.data(), size, &written) && written == size;
  return CloseHandle(h) && ok;
}

bool Save(const std::u16string& path, const Profile& p) {
  std::u16string text;
  for (const auto& l : p.lines) text += l + u"\r\n";
  return WriteWhole(path, p.unicode ? std::string(kMark, 2) + ToUtf16Le(text) : ToAnsi(text));
}

bool IsSection(const std::u16string& line, std::u16string* name) {
  std::u16string t = Trim(line);
  if (t.empty() || t[0] != u'[') return false;
  auto close = t.find(u']');
  *name = Trim(t.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
  return true;
}

bool SplitKey(const std::u16string& line, std::u16string* key, std::u16string* value) {
  std::u16string t = Trim(line);
  if (t.empty() || t[0] == u'[') return false;
  auto eq = t.find(u'=');
  *key = Trim(t.substr(0, eq));
  *value = eq == std::u16string::npos ? std::u16string() : Trim(t.substr(eq + 1));
  return true;
}

// Index range [header, end) of the section, header = -1 when absent.
void FindSection(const std::vector<std::u16string>& lines, std::u16string_view section, long* header, long* end) {
  *header = -1;
  *end = static_cast<long>(lines.size());
  std::u16string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsSection(lines[i], &name)) continue;
    if (*header >= 0) {
      *end = static_cast<long>(i);
      return;
    }
    if (SameName(name, section)) *header = static_cast<long>(i);
  }
}

long FindKey(const std::vector<std::u16string>& lines, long header, long end, std::u16string_view key) {
  std::u16string k, v;
  for (long i = header + 1; i < end; ++i)
    if (SplitKey(lines[static_cast<std::size_t>(i)], &k, &v) && SameName(k, key)) return i;
  return -1;
}

std::u16string StripQuotes(std::u16string v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The value of section/key, or nullopt when the file, section or key is missing.
std::optional<std::u16string> Lookup(std::u16string_view section, std::u16string_view key, std::u16string_view file) {
  const Profile p = Load(sim::HostPath(file));
  long header, end;
  FindSection(p.lines, section, &header, &end);
  if (header < 0) return std::nullopt;
  long at = FindKey(p.lines, header, end, key);
  if (at < 0) return std::nullopt;
  std::u16string k, v;
  SplitKey(p.lines[static_cast<std::size_t>(at)], &k, &v);
  return StripQuotes(v);
}

std::u16string GetString(std::u16string_view section, std::u16string_view key, std::u16string def,
                         std::u16string_view file) {
  if (auto v = Lookup(section, key, file)) return *v;
  while (!def.empty() && def.back() == u' ') def.pop_back();  // trailing blanks of the default go
  return def;
}

std::uint32_t GetInt(std::u16string_view section, std::u16string_view key, std::int32_t def, std::u16string_view file) {
  auto v = Lookup(section, key, file);
  if (!v || v->empty()) return static_cast<std::uint32_t>(def);
  // Leading blanks, an optional sign, then decimal digits; anything else
  // ends the number, and no digits at all give 0.
  std::size_t i = 0;
  while (i < v->size() && ((*v)[i] == u' ' || (*v)[i] == u'\t')) ++i;
  bool negative = false;
  if (i < v->size() && ((*v)[i] == u'-' || (*v)[i] == u'+')) negative = (*v)[i++] == u'-';
  std::uint32_t n = 0;
  for (; i < v->size() && (*v)[i] >= u'0' && (*v)[i] <= u'9'; ++i)
    n = n * 10u + static_cast<std::uint32_t>((*v)[i] - u'0');
  return negative ? 0u - n : n;
}

// Null key: the whole section goes. Null value: the key goes.
bool WriteString(std::u16string_view section, const std::u16string* key, const std::u16string* value,
                 const std::u16string& file) {
  Profile p = Load(sim::HostPath(file));
  auto& lines = p.lines;
  long header, end;
  FindSection(lines, section, &header, &end);
  if (!key) {
    if (header >= 0) lines.erase(lines.begin() + header, lines.begin() + end);
    return Save(file, p);
  }
  const std::u16string entry = *key + u"=" + (value ? *value : std::u16string());
  if (header < 0) {
    if (!value) return true;
    lines.push_back(u"[" + std::u16string(section) + u"]");
    lines.push_back(entry);
    return Save(file, p);
  }
  long at = FindKey(lines, header, end, *key);
  if (at >= 0) {
    std::u16string oldKey, oldValue;
    SplitKey(lines[static_cast<std::size_t>(at)], &oldKey, &oldValue);
    if (value)  // the key keeps the spelling it has in the file
      lines[static_cast<std::size_t>(at)] = oldKey + u"=" + *value;
    else
      lines.erase(lines.begin() + at);
  } else if (value) {
    // After the section's last non-blank line.
    long last = end;
    while (last > header + 1 && Trim(lines[static_cast<std::size_t>(last - 1)]).empty()) --last;
    lines.insert(lines.begin() + last, entry);
  }
  return Save(file, p);
}

template <class Char>
std::u16string Text(const Char* s) {
  if (!s) return {};
  if constexpr (std::is_same_v<Char, char>)
    return FromAnsi(s);
  else
    return s;
}

template <class Char>
std::uint32_t CopyOut(const std::basic_string<Char>& s, Char* buf, std::uint32_t size) {
  if (!buf || size == 0) return 0;
  std::uint32_t n = std::min<std::uint32_t>(static_cast<std::uint32_t>(s.size()), size - 1);
  std::copy(s.begin(), s.begin() + n, buf);
  buf[n] = Char{};
  return n;
}

void LogCall(const char* function, std::initializer_list<std::u16string_view> args) {
  std::string entry = std::string(function) + "(";
  const char* separator = "";
  for (auto a : args) {
    entry += separator + ToUtf8(a);
    separator = ",";
  }
  sim::detail::Log(entry + ")");
}

template <class Char>
std::uint32_t GetStringCall(const char* function, const Char* app, const Char* key, const Char* def, Char* buf,
                            std::uint32_t size, const Char* file) {
  LogCall(function, {Text(app), Text(key)});
  std::u16string value;
  if (app && key && file) value = GetString(Text(app), Text(key), Text(def), Text(file));
  if constexpr (std::is_same_v<Char, char>)
    return CopyOut(ToAnsi(value), buf, size);
  else
    return CopyOut(value, buf, size);
}

template <class Char>
std::uint32_t GetIntCall(const char* function, const Char* app, const Char* key, std::int32_t def, const Char* file) {
  LogCall(function, {Text(app), Text(key)});
  if (!app || !key || !file) return static_cast<std::uint32_t>(def);
  return GetInt(Text(app), Text(key), def, Text(file));
}

template <class Char>
bool WriteStringCall(const char* function, const Char* app, const Char* key, const Char* value, const Char* file) {
  LogCall(function, {Text(app), Text(key), value ? Text(value) : u"(null)"});
  if (!app || !file || sim::detail::Fault(function)) return false;
  const std::u16string k = Text(key), v = Text(value);
  return WriteString(Text(app), key ? &k : nullptr, value ? &v : nullptr, Text(file));
}

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpDefault,
                                       char* lpReturnedString, std::uint32_t nSize, const char* lpFileName) {
  return GetStringCall("GetPrivateProfileStringA", lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize,
                       lpFileName);
}

std::uint32_t GetPrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpDefault,
                                       char16_t* lpReturnedString, std::uint32_t nSize, const char16_t* lpFileName) {
  return GetStringCall("GetPrivateProfileStringW", lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize,
                       lpFileName);
}

std::uint32_t GetPrivateProfileIntA(const char* lpAppName, const char* lpKeyName, std::int32_t nDefault,
                                    const char* lpFileName) {
  return GetIntCall("GetPrivateProfileIntA", lpAppName, lpKeyName, nDefault, lpFileName);
}

std::uint32_t GetPrivateProfileIntW(const char16_t* lpAppName, const char16_t* lpKeyName, std::int32_t nDefault,
                                    const char16_t* lpFileName) {
  return GetIntCall("GetPrivateProfileIntW", lpAppName, lpKeyName, nDefault, lpFileName);
}

bool WritePrivateProfileStringA(const char* lpAppName, const char* lpKeyName, const char* lpString,
                                const char* lpFileName) {
  return WriteStringCall("WritePrivateProfileStringA", lpAppName, lpKeyName, lpString, lpFileName);
}

bool WritePrivateProfileStringW(const char16_t* lpAppName, const char16_t* lpKeyName, const char16_t* lpString,
                                const char16_t* lpFileName) {
  return WriteStringCall("WritePrivateProfileStringW", lpAppName, lpKeyName, lpString, lpFileName);
}

std::optional<std::string> ReadProfileBytes(const std::u16string& path) {
  LogCall("ReadProfileBytes", {path});
  const fs::path host = sim::HostPath(path);
  std::error_code ec;
  if (!fs::exists(host, ec))
    return fs::is_directory(host.parent_path(), ec) ? std::optional<std::string>("") : std::nullopt;
  return ReadBytes(host);
}

bool ReplaceProfileBytes(const std::u16string& path, const std::string& bytes) {
  LogCall("ReplaceProfileBytes", {path});
  // A read-only file cannot be replaced, as MoveFileEx refuses it.
  const std::uint32_t attributes = GetFileAttributesW(path.c_str());
  if (attributes != kInvalidFileAttributes && (attributes & (kFileAttributeReadOnly | kFileAttributeDirectory)))
    return false;
  // Replaced whole: the new form beside it, then moved over it.
  const std::u16string fresh = path + u".new";
  std::error_code ec;
  if (!sim::detail::Fault("ReplaceProfileBytes") && WriteWhole(fresh, bytes)) {
    fs::rename(sim::HostPath(fresh), sim::HostPath(path), ec);
    if (!ec) return true;
  }
  fs::remove(sim::HostPath(fresh), ec);
  return false;
}

}  // namespace plat
