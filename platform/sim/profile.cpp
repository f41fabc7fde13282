// Simulated private-profile functions, working on real files in the
// sandbox with Windows' documented rules: case-insensitive section and key
// names, values trimmed of surrounding blanks and of one pair of matching
// quotes, results cut to the buffer, keys replaced in place and new keys
// appended to their section, the file created with its section.
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace plat {

namespace {

using sim::detail::Lower;

std::string Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  auto e = s.find_last_not_of(ws);
  return std::string(s.substr(b, e - b + 1));
}

std::vector<std::string> ReadLines(const std::filesystem::path& p, bool* exists) {
  std::ifstream in(p, std::ios::binary);
  *exists = static_cast<bool>(in);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool WriteLines(const std::filesystem::path& p, const std::vector<std::string>& lines) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const auto& l : lines) out << l << "\r\n";
  return static_cast<bool>(out);
}

bool IsSection(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return false;
  auto close = t.find(']');
  *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

bool SplitKey(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == '[') return false;
  auto eq = t.find('=');
  *key = Trim(t.substr(0, eq));
  *value = eq == std::string::npos ? std::string() : Trim(t.substr(eq + 1));
  return true;
}

// Index range [begin, end) of the section's body, or begin = -1 if absent.
void FindSection(const std::vector<std::string>& lines, const std::string& section, long* header,
                 long* end) {
  *header = -1;
  *end = static_cast<long>(lines.size());
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsSection(lines[i], &name)) continue;
    if (*header >= 0) {
      *end = static_cast<long>(i);
      return;
    }
    if (Lower(name) == Lower(section)) *header = static_cast<long>(i);
  }
}

long FindKey(const std::vector<std::string>& lines, long header, long end, const std::string& key) {
  std::string k, v;
  for (long i = header + 1; i < end; ++i)
    if (SplitKey(lines[static_cast<std::size_t>(i)], &k, &v) && Lower(k) == Lower(key)) return i;
  return -1;
}

std::string StripQuotes(std::string v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

std::uint32_t CopyOut(const std::string& s, char* buf, std::uint32_t size) {
  if (!buf || size == 0) return 0;
  std::uint32_t n = std::min<std::uint32_t>(static_cast<std::uint32_t>(s.size()), size - 1);
  std::memcpy(buf, s.data(), n);
  buf[n] = '\0';
  return n;
}

// The value of section/key, or nullopt when the file, section or key is missing.
std::optional<std::string> Lookup(const char* section, const char* key, const char* file) {
  bool exists;
  auto lines = ReadLines(sim::HostPath(file), &exists);
  long header, end;
  FindSection(lines, section, &header, &end);
  if (header < 0) return std::nullopt;
  long at = FindKey(lines, header, end, key);
  if (at < 0) return std::nullopt;
  std::string k, v;
  SplitKey(lines[static_cast<std::size_t>(at)], &k, &v);
  return StripQuotes(v);
}

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* lpAppName, const char* lpKeyName,
                                       const char* lpDefault, char* lpReturnedString,
                                       std::uint32_t nSize, const char* lpFileName) {
  sim::detail::Log(std::string("GetPrivateProfileStringA(") + (lpAppName ? lpAppName : "") + "," +
                   (lpKeyName ? lpKeyName : "") + ")");
  if (!lpAppName || !lpKeyName || !lpFileName) return CopyOut({}, lpReturnedString, nSize);
  if (auto v = Lookup(lpAppName, lpKeyName, lpFileName)) return CopyOut(*v, lpReturnedString, nSize);
  std::string def = lpDefault ? lpDefault : "";
  while (!def.empty() && def.back() == ' ') def.pop_back();  // trailing blanks of the default go
  return CopyOut(def, lpReturnedString, nSize);
}

std::uint32_t GetPrivateProfileIntA(const char* lpAppName, const char* lpKeyName,
                                    std::int32_t nDefault, const char* lpFileName) {
  sim::detail::Log(std::string("GetPrivateProfileIntA(") + (lpAppName ? lpAppName : "") + "," +
                   (lpKeyName ? lpKeyName : "") + ")");
  if (!lpAppName || !lpKeyName || !lpFileName) return static_cast<std::uint32_t>(nDefault);
  auto v = Lookup(lpAppName, lpKeyName, lpFileName);
  if (!v || v->empty()) return static_cast<std::uint32_t>(nDefault);
  // Leading blanks, an optional sign, then decimal digits; anything else
  // ends the number, and no digits at all give 0.
  std::size_t i = 0;
  while (i < v->size() && ((*v)[i] == ' ' || (*v)[i] == '\t')) ++i;
  bool negative = false;
  if (i < v->size() && ((*v)[i] == '-' || (*v)[i] == '+')) negative = (*v)[i++] == '-';
  std::uint32_t n = 0;
  for (; i < v->size() && (*v)[i] >= '0' && (*v)[i] <= '9'; ++i)
    n = n * 10u + static_cast<std::uint32_t>((*v)[i] - '0');
  return negative ? 0u - n : n;
}

bool WritePrivateProfileStringA(const char* lpAppName, const char* lpKeyName,
                                const char* lpString, const char* lpFileName) {
  sim::detail::Log(std::string("WritePrivateProfileStringA(") + (lpAppName ? lpAppName : "") + "," +
                   (lpKeyName ? lpKeyName : "") + "," + (lpString ? lpString : "(null)") + ")");
  if (!lpAppName || !lpFileName) return false;
  if (sim::detail::Fault("WritePrivateProfileStringA")) return false;
  const auto path = sim::HostPath(lpFileName);
  if (!std::filesystem::is_directory(path.parent_path())) return false;
  bool exists;
  auto lines = ReadLines(path, &exists);
  long header, end;
  FindSection(lines, lpAppName, &header, &end);
  if (!lpKeyName) {  // delete the whole section
    if (header >= 0) lines.erase(lines.begin() + header, lines.begin() + end);
    return WriteLines(path, lines);
  }
  const std::string entry = std::string(lpKeyName) + "=" + (lpString ? lpString : "");
  if (header < 0) {
    if (!lpString) return true;
    lines.push_back("[" + std::string(lpAppName) + "]");
    lines.push_back(entry);
    return WriteLines(path, lines);
  }
  long at = FindKey(lines, header, end, lpKeyName);
  if (at >= 0) {
    std::string oldKey, oldValue;
    SplitKey(lines[static_cast<std::size_t>(at)], &oldKey, &oldValue);
    if (lpString)  // the key keeps the spelling it has in the file
      lines[static_cast<std::size_t>(at)] = oldKey + "=" + lpString;
    else
      lines.erase(lines.begin() + at);
  } else if (lpString) {
    // After the section's last non-blank line.
    long last = end;
    while (last > header + 1 && Trim(lines[static_cast<std::size_t>(last - 1)]).empty()) --last;
    lines.insert(lines.begin() + last, entry);
  }
  return WriteLines(path, lines);
}

}  // namespace plat
