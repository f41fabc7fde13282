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
// for settings files saved as UTF-8. FromUtf8 puts U+FFFD where the bytes
// are not UTF-8; DecodeUtf8 takes only well-formed UTF-8 (no overlong
// forms, no surrogates, nothing past U+10FFFF, no sequence cut short) and
// gives nullopt for anything else.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

}  // namespace plat
