#include "shell/tagged_value.h"

#include <charconv>

#include "platform/text.h"

namespace varnel {

std::u16string TaggedValue::ToText() const {
  if (IsText()) return std::get<std::u16string>(v_);
  if (IsInteger()) return plat::FromUtf8(std::to_string(std::get<std::int32_t>(v_)));
  return {};
}

std::int32_t TaggedValue::ToInteger() const {
  if (IsInteger()) return std::get<std::int32_t>(v_);
  if (!IsText()) return 0;
  std::string s = plat::ToUtf8(std::get<std::u16string>(v_));
  std::int32_t n = 0;
  std::from_chars(s.data(), s.data() + s.size(), n);
  return n;
}

}  // namespace varnel
