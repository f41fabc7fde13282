// The whole-scan-line steps of resampling in fixed point: a weight D
// stands for the fraction D / 2^23, and each step computes
// (a x (2^23 - D) + b x D) / 2^23 rounded to the nearest integer, halves to
// the even one, for bytes a and b. That is exactly the double-precision
// interpolation of the same bytes with that fraction (see
// dib_resample.cpp).
//
// Several implementations give the same bytes: a portable one, and ones
// for SSE4.1, AVX2 and AVX-512 (with byte permutes), chosen at run time by
// what the processor runs. The vector kernels work in 32-bit lanes, which
// hold the products exactly.
#pragma once

#include <cstdint>
#include <vector>

namespace varnel::resample {

inline constexpr int kFractionBits = 23;
inline constexpr std::int32_t kOne = std::int32_t{1} << kFractionBits;

enum class Kernel { Portable, Sse41, Avx2, Avx512 };
inline constexpr Kernel kKernels[] = {Kernel::Portable, Kernel::Sse41, Kernel::Avx2, Kernel::Avx512};
const char* Name(Kernel kernel);

// Whether this build has the kernel and this processor runs it.
bool Supported(Kernel kernel);
// The fastest supported kernel.
Kernel Best();
// The kernel the steps below use: Best() unless a test chose another.
Kernel Current();
// Chooses the kernel; false when it is not supported.
bool Use(Kernel kernel);

// out[j] from lower[j] and upper[j] with one weight, for j below n.
void Vertical(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
              std::int32_t weight);

// The horizontal step of every destination scan line: destination pixel x
// interpolates bytes offset[x] + k and offset[x] + 3 + k (k = 0, 1, 2) of
// the vertical results with weight[x]. Offsets never decrease with x.
// Prepared for the kernel current at construction.
class Horizontal {
 public:
  // Zero bytes the vertical results must have after the last one read.
  static constexpr std::int32_t kPadding = 128;

  Horizontal(std::vector<std::int32_t> offset, std::vector<std::int32_t> weight);
  // Writes 3 x width bytes of `out`.
  void Run(const std::uint8_t* vertical, std::uint8_t* out) const;

 private:
  // Pixels [from, to), or output bytes [from, to), one at a time.
  void RunPixels(const std::uint8_t* vertical, std::uint8_t* out, std::int32_t from, std::int32_t to) const;
  void RunBytes(const std::uint8_t* vertical, std::uint8_t* out, std::int64_t from, std::int64_t to) const;
  void PlanShuffles(int lanes);
  void PlanPermutes();
  void RunSse41(const std::uint8_t* vertical, std::uint8_t* out) const;
  void RunAvx2(const std::uint8_t* vertical, std::uint8_t* out) const;
  void RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const;

  Kernel kernel_;
  std::vector<std::int32_t> offset_, weight_;

  // SSE4.1 and AVX2: blocks of 16 output bytes a 128-bit lane, in groups
  // of 4 bytes that each take their bytes from one 16-byte window of the
  // vertical results with byte shuffles. For every group, in the order the
  // kernel loads them: where its window starts, which window bytes each of
  // its 4 output bytes takes into its 32-bit lane (the left one, or the
  // left and the right one as a 16-bit pair), and its weight (as such, or
  // as a pair's two multipliers).
  enum class BlockKind : std::uint8_t {
    Bytes,  // some group's bytes lie beyond its window: one byte at a time
    Lanes,  // left bytes in 32-bit lanes, right ones 3 bytes on
    Pairs,  // (left, right) pairs with pair weights: every weight a multiple of 2^8
  };
  std::vector<std::int32_t> groupBase_;
  std::vector<std::uint8_t> groupIndex_;   // 16 a group
  std::vector<std::int32_t> groupWeight_;  // 4 a group
  std::vector<BlockKind> blockKind_;

  // AVX-512: blocks of 16 pixels: where each block's window of vertical
  // results starts, which bytes of the window each of its 48 output bytes
  // takes, and the weight of each output byte.
  struct Block {
    std::int32_t base;
    bool fits;  // every byte read lies within 128 bytes of base
  };
  std::vector<Block> blocks_;
  std::vector<std::uint8_t> index_;    // 64 a block
  std::vector<std::int32_t> weights_;  // 48 a block
};

}  // namespace varnel::resample
