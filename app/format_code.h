// The capture format code: exactly three characters, as the settings file
// keeps it; which format it stands for is the table's (file_formats.h). A
// shorter text assigned to it is padded on the right with spaces, a longer
// one cut to its first three characters.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

class FormatCode {
 public:
  // Three NUL characters until a value is assigned.
  FormatCode() : code_(3, u'\0') {}
  FormatCode(std::u16string_view text) { *this = text; }
  FormatCode& operator=(std::u16string_view text) {
    code_.assign(text.substr(0, 3));
    code_.resize(3, u' ');
    return *this;
  }
  const std::u16string& str() const { return code_; }
  void ToUpper() {
    for (auto& c : code_)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  friend bool operator==(const FormatCode& a, std::u16string_view b) { return a.code_ == b; }

 private:
  std::u16string code_;
};

}  // namespace varnel
