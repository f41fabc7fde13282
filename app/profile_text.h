// The text of a private-profile (INI) file, read and changed in memory by
// the rules Windows' profile functions follow, for a file those functions
// would misread (one saved as UTF-8):
// - section and key names match without regard to case, the first of each
//   counting; a value is trimmed of blanks and of one pair of matching
//   quotes;
// - a key is replaced where it stands, keeping its spelling, or added after
//   the last line of its section that is not blank; a missing section is
//   added at the end;
// - every other line stays as it was, its line end included; a line added
//   ends as the file's first line does ("\r\n" in a file that has none).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class ProfileText {
 public:
  explicit ProfileText(std::u16string_view text);

  // The value of the key, nullopt when the section or the key is missing.
  std::optional<std::u16string> Get(std::u16string_view section, std::u16string_view key) const;
  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  std::u16string Text() const;

 private:
  struct Line {
    std::u16string text, end;
  };
  // Lines [header, end) of the section; header is npos when it is missing.
  void FindSection(std::u16string_view section, std::size_t* header, std::size_t* end) const;
  std::size_t FindKey(std::size_t header, std::size_t end, std::u16string_view key) const;

  std::vector<Line> lines_;
  std::u16string newline_ = u"\r\n";
};

}  // namespace varnel
