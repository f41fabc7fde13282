// Conversion between the program's UTF-16 text and the system ANSI code
// page, done at every call of an "A" function. Characters the code page
// cannot hold become '?', as Windows' own conversion does by default (it
// also gives a few of them a look-alike, "best fit": Greek alpha becomes
// 'a'); either way the text does not come back whole.
#pragma once

#include <string>
#include <string_view>

namespace plat {

std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view bytes);

// UTF-8 helpers for messages, test output and file paths on the host.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace plat
