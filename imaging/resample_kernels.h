// The whole-scan-line steps of resampling in fixed point: a weight D
// stands for the fraction D / 2^23, and each step computes
// (a x (2^23 - D) + b x D) / 2^23 rounded to the nearest integer, halves to
// the even one, for bytes a and b. That is exactly the double-precision
// interpolation of the same bytes with that fraction (see
// dib_resample.cpp).
//
// Two implementations give the same bytes: a portable one, and one for
// processors with AVX-512 byte permutes, chosen at run time.
#pragma once

#include <cstdint>
#include <vector>

namespace varnel::resample {

inline constexpr int kFractionBits = 23;
inline constexpr std::int32_t kOne = std::int32_t{1} << kFractionBits;

enum class Kernel { Portable, Avx512 };

// The best kernel this processor runs.
Kernel Best();
// The kernel the steps below use: Best() unless a test chose another.
Kernel Current();
// Chooses the kernel; false when this processor cannot run it.
bool Use(Kernel kernel);

// out[j] from lower[j] and upper[j] with one weight, for j below n.
void Vertical(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
              std::int32_t weight);

// The horizontal step of every destination scan line: destination pixel x
// interpolates bytes offset[x] + k and offset[x] + 3 + k (k = 0, 1, 2) of
// the vertical results with weight[x].
class Horizontal {
 public:
  // Zero bytes the vertical results must have after the last one read.
  static constexpr std::int32_t kPadding = 128;

  Horizontal(std::vector<std::int32_t> offset, std::vector<std::int32_t> weight);
  // Writes 3 x width bytes of `out`.
  void Run(const std::uint8_t* vertical, std::uint8_t* out) const;

 private:
  void RunPortable(const std::uint8_t* vertical, std::uint8_t* out, std::int32_t from, std::int32_t to) const;
  void RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const;

  std::vector<std::int32_t> offset_, weight_;
  // Blocks of 16 pixels for the byte-permute kernel: where each block's
  // window of vertical results starts, which bytes of the window each of
  // its 48 output bytes takes, and the weight of each output byte.
  struct Block {
    std::int32_t base;
    bool fits;  // every byte read lies within 128 bytes of base
  };
  std::vector<Block> blocks_;
  std::vector<std::uint8_t> index_;   // 64 a block
  std::vector<std::int32_t> weights_; // 48 a block
};

}  // namespace varnel::resample
