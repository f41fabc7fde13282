// A value that is empty, a text or a 32-bit signed integer, as registry
// values are read and written. The empty value and the empty text compare
// equal.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace varnel {

class TaggedValue {
 public:
  TaggedValue() = default;
  TaggedValue(std::u16string text) : v_(std::move(text)) {}
  TaggedValue(const char16_t* text) : v_(std::u16string(text)) {}
  TaggedValue(std::int32_t number) : v_(number) {}

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
  bool IsText() const { return std::holds_alternative<std::u16string>(v_); }
  bool IsInteger() const { return std::holds_alternative<std::int32_t>(v_); }
  // Empty, or a text of no characters.
  bool IsBlank() const { return IsEmpty() || (IsText() && std::get<std::u16string>(v_).empty()); }

  // Text form: a number becomes its decimal text, empty the empty text.
  std::u16string ToText() const;
  // Integer form: a text is read as a decimal number (0 when it is none),
  // empty gives 0.
  std::int32_t ToInteger() const;

  friend bool operator==(const TaggedValue& a, const TaggedValue& b) {
    if (a.IsBlank() && b.IsBlank()) return true;
    return a.v_ == b.v_;
  }

 private:
  std::variant<std::monostate, std::u16string, std::int32_t> v_;
};

}  // namespace varnel
