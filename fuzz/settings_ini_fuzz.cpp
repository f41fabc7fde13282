// The INI reader, on a settings file that a user edited by hand: any bytes.
//
// In memory (ProfileText, which reads a file saved as UTF-8), on the
// input's text:
// - with nothing set, the text comes back as it was;
// - a key set reads back as set, every other key keeps its value, and the
//   text it gives is read again the same way.
// Through the program, the input standing as C:\Tools\Varnel.ini:
// - what a start reads, its end writes back, and the next start reads the
//   same: the flag always, the folder and the format code when an INI line
//   can hold them as they are (no blanks at either end, no enclosing quotes;
//   the code up to its first NUL, as the file holds it);
// - the settings section's other keys keep their values;
// (these two unless the file is then taken for another form: see
// TakenForUtf8);
// - the end writes no NUL character into a file that had none.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/profile_text.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/settings_run.h"

namespace varnel::fuzz {
namespace {

struct Name {
  std::u16string_view section, key;
};
// Keys the checks look at; those in the settings section are Varnel's own
// and two it leaves alone.
constexpr std::array<Name, 6> kProbes = {{{u"main", u"path"},
                                          {u"main", u"format"},
                                          {u"main", u"open"},
                                          {u"main", u"keep"},
                                          {u"other", u"keep"},
                                          {u"new", u"key"}}};
// What is set: an existing key (under another spelling), a key of another
// section, and one of a section that is rarely there.
constexpr std::array<Name, 3> kSets = {{{u"Main", u"PATH"}, {u"other", u"keep"}, {u"new", u"key"}}};
constexpr std::u16string_view kValue = u"C:\\Set \u0424";

bool SameName(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

void CheckProfileText(std::u16string_view text) {
  const ProfileText read(text);
  Require(read.Text() == text, "the text comes back as it was read", text);
  std::array<std::optional<std::u16string>, kProbes.size()> before;
  for (std::size_t i = 0; i < kProbes.size(); ++i) before[i] = read.Get(kProbes[i].section, kProbes[i].key);

  for (const Name& set : kSets) {
    ProfileText changed(text);
    changed.Set(set.section, set.key, kValue);
    Require(changed.Get(set.section, set.key) == kValue, "a key set reads back as set", changed.Text());
    const ProfileText again(changed.Text());
    for (std::size_t i = 0; i < kProbes.size(); ++i) {
      const Name& probe = kProbes[i];
      const std::optional<std::u16string> now = changed.Get(probe.section, probe.key);
      if (!SameName(probe.section, set.section) || !SameName(probe.key, set.key))
        Require(now == before[i], "setting a key leaves the others as they were", changed.Text());
      Require(again.Get(probe.section, probe.key) == now, "the text written reads again the same", changed.Text());
    }
  }
}

// A value that a line "key=value" gives back as it is.
bool Plain(std::u16string_view v) {
  constexpr std::u16string_view blanks = u" \t\r\n";
  if (v.empty()) return true;
  if (blanks.find(v.front()) != std::u16string_view::npos || blanks.find(v.back()) != std::u16string_view::npos)
    return false;
  return !(v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front());
}

std::u16string_view UpToNul(std::u16string_view v) { return v.substr(0, v.find(u'\0')); }

// Whether the file's text holds a NUL character, in the form it was saved in.
bool HoldsNul(std::string_view bytes) {
  if (bytes.substr(0, 2) != "\xFF\xFE") return bytes.find('\0') != std::string_view::npos;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    if (bytes[i] == '\0' && bytes[i + 1] == '\0') return true;
  return false;
}

void CheckStartAndEnd(std::string_view bytes) {
  FreshMachine();
  WriteHostFile(kSettingsFile, bytes);
  ReadSettings first{};
  auto run = Start(&first);
  const auto othersBefore = UntouchedKeys();
  End(std::move(run));
  const std::string written = ReadHostFile(kSettingsFile).value_or("");
  Require(HoldsNul(bytes) || !HoldsNul(written), "the end writes no NUL into the file", plat::FromAnsi(written));
  // A file then taken for UTF-8 reads differently: see TakenForUtf8.
  const bool sameForm = !TakenForUtf8(bytes, written);
  const auto othersAfter = UntouchedKeys();
  Require(othersAfter == othersBefore || !sameForm, "the other keys keep their values",
          othersBefore[0] + u" " + othersBefore[1] + u" | " + othersAfter[0] + u" " + othersAfter[1] + u" | " +
              plat::FromAnsi(written));

  ReadSettings next{};
  run = Start(&next);
  Require(!next.firstRun, "the next start finds the settings");
  Require(next.open == first.open, "the next start reads the same flag");
  if (sameForm && Plain(first.folder))
    Require(next.folder == first.folder, "the next start reads the same folder", first.folder + u" | " + next.folder);
  const std::u16string_view code = UpToNul(first.format);
  if (sameForm && Plain(code))
    Require(UpToNul(next.format) == code, "the next start reads the same format code",
            first.format + u" | " + next.format);
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  varnel::fuzz::CheckProfileText(plat::FromUtf8(bytes));
  varnel::fuzz::CheckStartAndEnd(bytes);
  return 0;
}
