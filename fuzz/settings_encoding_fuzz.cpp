// A hand-edited settings file in each of the forms editors save: ANSI,
// UTF-8 with and without the byte-order mark, UTF-16 LE with it, and the
// input's bytes as they are (invalid UTF-8 among them). The input's first
// byte picks the form and the folder written back; the rest is the text.
//
// The text conversions, on the rest's bytes:
// - well-formed UTF-8 decodes to a text that encodes back to the same
//   bytes, and the lenient decoding agrees with it;
// - the lenient decoding keeps every ASCII byte and makes none: a byte
//   that is not UTF-8 never swallows a line break or a bracket after it;
// - the lenient decoding reads back whatever UTF-8 writes, and strict
//   decoding too for a text without lone surrogates; the code page's bytes
//   survive the code page.
// The file, through the program, on the simulated platform:
// - a text saved in any form that holds it reads as the same settings as
//   when saved as UTF-16, the form Windows' profile functions read natively
//   (when the file is read in the form it was saved in: ANSI bytes may be
//   well-formed UTF-8 too);
// - written back with a new folder, the file keeps its form (a UTF-16 or
//   UTF-8 file stays so, with its mark or without; an ANSI one stays ANSI
//   unless the folder needs Unicode, and then becomes UTF-16), the next
//   start reads the new folder, and the section's other keys keep their
//   values (unless the file is then taken for another form: see
//   TakenForUtf8).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "fuzz/settings_run.h"
#include "tests/support/test_support.h"

namespace varnel::fuzz {
namespace {

enum class Form { Ansi, Utf8, Utf8Marked, Utf16, Raw };
constexpr int kForms = 5;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool HasLoneSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      ++i;
    else if (c >= 0xD800 && c < 0xE000)
      return true;
  }
  return false;
}

void CheckConversions(std::string_view bytes) {
  const std::u16string lenient = plat::FromUtf8(bytes);
  if (const std::optional<std::u16string> text = plat::DecodeUtf8(bytes)) {
    Require(plat::ToUtf8(*text) == bytes, "well-formed UTF-8 encodes back to its bytes", *text);
    Require(lenient == *text, "the lenient decoding agrees on well-formed UTF-8", lenient);
  }
  std::string asciiIn, asciiOut;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) < 0x80) asciiIn += c;
  for (char16_t c : lenient)
    if (c < 0x80) asciiOut += static_cast<char>(c);
  Require(asciiOut == asciiIn, "the lenient decoding keeps every ASCII byte and makes none", lenient);
  Require(plat::FromUtf8(plat::ToUtf8(lenient)) == lenient, "the lenient decoding reads back what UTF-8 writes",
          lenient);
  if (!HasLoneSurrogate(lenient))
    Require(plat::DecodeUtf8(plat::ToUtf8(lenient)) == lenient, "a text survives UTF-8", lenient);
  Require(plat::ToAnsi(plat::FromAnsi(bytes)) == bytes, "the code page's bytes survive it", plat::FromAnsi(bytes));
}

// The file's bytes for the text in the form; empty when the form cannot
// hold the text.
std::optional<std::string> Saved(Form form, std::u16string_view text, std::string_view raw) {
  switch (form) {
    case Form::Ansi:
      if (plat::FromAnsi(plat::ToAnsi(text)) != text) return std::nullopt;
      return plat::ToAnsi(text);
    case Form::Utf8:
    case Form::Utf8Marked:
      if (HasLoneSurrogate(text)) return std::nullopt;
      return (form == Form::Utf8Marked ? std::string(kUtf8Mark) : std::string()) + plat::ToUtf8(text);
    case Form::Utf16: return plat::testing::Utf16File(text);
    case Form::Raw: return std::string(raw);
  }
  return std::nullopt;
}

// Whether a file saved in the form is read in it: ANSI bytes may happen to
// be well-formed UTF-8 or to begin with a byte-order mark, and a text that
// begins with U+FEFF, saved as UTF-8, begins with the mark.
bool ReadInForm(Form form, std::string_view bytes) {
  switch (form) {
    case Form::Ansi: return FormOf(bytes) == FileForm::Ansi;
    case Form::Utf8: return FormOf(bytes) != FileForm::Utf8Marked;
    case Form::Utf8Marked:
    case Form::Utf16: return true;
    case Form::Raw: return false;
  }
  return false;
}

bool operator==(const ReadSettings& a, const ReadSettings& b) {
  return a.firstRun == b.firstRun && a.folder == b.folder && a.format == b.format && a.open == b.open;
}

std::u16string Describe(const ReadSettings& r) {
  return (r.firstRun ? u"first run, " : u"") + r.folder + u", " + r.format + (r.open ? u", open" : u"");
}

ReadSettings SettingsIn(std::string_view bytes) {
  FreshMachine();
  WriteHostFile(kSettingsFile, bytes);
  ReadSettings read{};
  Start(&read);
  return read;
}

void CheckFile(Form form, bool unicodeFolder, std::string_view raw) {
  const std::u16string text = plat::FromUtf8(raw);
  const std::optional<std::string> bytes = Saved(form, text, raw);
  if (!bytes) return;
  // An empty file is a first run, where a UTF-16 one holds its mark.
  if (!bytes->empty() && ReadInForm(form, *bytes)) {
    const ReadSettings reference = SettingsIn(plat::testing::Utf16File(text));
    const ReadSettings read = SettingsIn(*bytes);
    Require(read == reference, "every form reads as UTF-16 does", Describe(read) + u" | " + Describe(reference));
  }

  FreshMachine();
  WriteHostFile(kSettingsFile, *bytes);
  ReadSettings first{};
  auto run = Start(&first);
  const auto othersBefore = UntouchedKeys();
  const std::u16string folder = unicodeFolder ? u"C:\\\u0424\u043e\u0442\u043e" : u"C:\\Shots";
  run->settings.CaptureFolder = folder;
  End(std::move(run));
  const std::string written = ReadHostFile(kSettingsFile).value_or("");
  const FileForm before = FormOf(*bytes), after = FormOf(written);
  switch (before) {
    case FileForm::Utf16: Require(after == FileForm::Utf16, "a UTF-16 file stays UTF-16"); break;
    case FileForm::Utf8Marked: Require(after == FileForm::Utf8Marked, "a UTF-8 file keeps its mark"); break;
    case FileForm::Utf8:
      Require(plat::DecodeUtf8(written) && written.substr(0, 3) != kUtf8Mark, "a UTF-8 file stays UTF-8, unmarked");
      break;
    case FileForm::Ansi:
      Require((after == FileForm::Utf16) == unicodeFolder, "an ANSI file turns UTF-16 exactly for a folder it lacks");
      break;
  }
  const auto othersAfter = UntouchedKeys();
  Require(othersAfter == othersBefore || TakenForUtf8(*bytes, written), "the other keys keep their values",
          othersBefore[0] + u" " + othersBefore[1] + u" | " + othersAfter[0] + u" " + othersAfter[1] + u" | " +
              plat::FromAnsi(written));
  ReadSettings next{};
  run = Start(&next);
  Require(next.folder == folder, "the next start reads the new folder", next.folder);
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  varnel::fuzz::CheckConversions(rest);
  varnel::fuzz::CheckFile(static_cast<varnel::fuzz::Form>(data[0] % varnel::fuzz::kForms), (data[0] & 0x80) != 0, rest);
  return 0;
}
