// What the platform contract tests need to arrange and inspect the machine
// they run on, the same on both backends: a clean start, a scratch folder,
// and raw access to registry values and files.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace plat::testing {

// A clean start for one test: the simulated platform is reset; on real
// Windows a new scratch folder is made and the test key is emptied.
void BeginTest();
// The scratch folder as a Windows path, without a trailing separator.
std::u16string TempDir();
// A registry key under HKEY_CURRENT_USER that exists and is empty after
// BeginTest(), for the tests' own values.
std::u16string TestKey();

struct RawValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  bool operator==(const RawValue&) const = default;
};
// A raw value is the bytes the registry keeps, as RegQueryValueExW returns
// them; WriteRaw stores exactly these bytes.
void WriteRaw(Hkey root, const std::u16string& key, const std::u16string& name, const RawValue& v);
std::optional<RawValue> ReadRaw(Hkey root, const std::u16string& key, const std::u16string& name);
bool KeyExists(Hkey root, const std::u16string& key);

// A text as the registry's wide calls store it: its UTF-16 LE bytes,
// without (Utf16Bytes) or with (SzBytes) the terminating NUL.
inline std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}
inline std::vector<std::uint8_t> SzBytes(std::u16string_view text) { return Utf16Bytes(std::u16string(text) + u'\0'); }
// A file in Unicode form: the UTF-16 LE byte-order mark, then the text.
inline std::string Utf16File(std::u16string_view text) {
  const std::vector<std::uint8_t> bytes = Utf16Bytes(text);
  return "\xFF\xFE" + std::string(bytes.begin(), bytes.end());
}

// True when the real backend runs under Wine rather than Windows. Wine on a
// Linux file system cannot keep a file's creation time (it reports the
// last-write time instead), always reports the archive attribute on a file,
// and, run as root, lets a read-only file be opened for writing; it does
// refuse to delete one.
bool UnderWine();

// The short (8.3) form of an existing absolute path, as the file system
// gives it out.
std::u16string ShortPathOf(const std::u16string& path);
// The shell's item identifier list of a folder, as the folder dialog hands
// one back (freed with plat::CoTaskMemFree); {} when the shell makes none.
ItemList ItemListOf(const std::u16string& path);

std::optional<std::string> ReadFileBytes(const std::u16string& path);
void WriteFileBytes(const std::u16string& path, const std::string& bytes);
// Deletes a folder and everything in it.
void RemoveFolder(const std::u16string& path);
// Makes a folder and the missing ones above it, at any length.
void MakeFolder(const std::u16string& path);

// The Linux machine's own programs, run from the tests on both backends:
// natively, and under Wine, which starts them on its Unix side. HostPath
// is the machine's own (UTF-8) path of a file or folder; empty where there
// is no such machine (real Windows). RunHostProgram runs `program` (a host
// path) with the arguments and returns its exit code, or -1 when it did
// not start.
std::string HostPath(const std::u16string& path);
int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace plat::testing

namespace plat::testing {
// Readable values in test failure messages.
inline void PrintTo(const RawValue& v, std::ostream* os) {
  *os << "{type " << v.type << ", bytes";
  for (auto b : v.data) *os << ' ' << static_cast<int>(b);
  *os << '}';
}
}  // namespace plat::testing
