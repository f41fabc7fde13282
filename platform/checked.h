// Checked 32-bit signed arithmetic: a result that does not fit raises the
// overflow error instead of wrapping.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace plat {

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) Raise(kErrOverflow);
  return r;
}

inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) Raise(kErrOverflow);
  return r;
}

inline std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) Raise(kErrOverflow);
  return r;
}

}  // namespace plat
