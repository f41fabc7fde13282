// Conversion between the program's UTF-16 text and the system ANSI code
// page, done at every call of an "A" function. Characters the code page
// cannot hold become '?', as Windows' own conversion does by default (it
// also gives a few of them a look-alike, "best fit": Greek alpha becomes
// 'a'); either way the text does not come back whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat {

std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view bytes);

// UTF-8 helpers for messages, test output and file paths on the host, and
// for settings files saved as UTF-8. FromUtf8 reads back whatever ToUtf8
// writes (a lone surrogate too) and puts one U+FFFD for each run of bytes
// that is not UTF-8 (a byte that begins nothing, a sequence cut short, an
// overlong form), reading the byte after such a run for itself;
// DecodeUtf8 takes only well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF, no sequence cut short) and gives
// nullopt for anything else.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

}  // namespace plat
