#include "imaging/resample_kernels.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define VARNEL_X86 1
#if defined(_WIN32) && !defined(VARNEL_UNALIGNED_VECTOR_MOVES)
// Windows keeps the stack aligned to 16 bytes (x86_64) or 4 (i686) only,
// while the compiler spills 32- and 64-byte registers with aligned moves.
#error "build this file with the assembler's -muse-unaligned-vector-move (see CMakeLists.txt)"
#endif
#include <immintrin.h>
#endif
#if defined(__x86_64__)
#define VARNEL_AVX512 1
// GCC 12 takes the "undefined" registers inside the AVX-512 conversion
// intrinsics for uninitialised ones (a false report).
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#endif

namespace varnel::resample {

namespace {

#ifdef VARNEL_X86
#define VARNEL_SSE41 __attribute__((target("sse4.1")))
#define VARNEL_AVX2 __attribute__((target("avx2")))
#endif
#ifdef VARNEL_AVX512
#define VARNEL_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#endif

inline std::uint8_t Fixed(std::int32_t a, std::int32_t b, std::int32_t weight) {
  // a x (2^23 - w) + b x w is at most 255 x 2^23, within 32 bits.
  const std::int32_t n = a * (kOne - weight) + b * weight;
  return static_cast<std::uint8_t>((n + (kOne / 2 - 1) + ((n >> kFractionBits) & 1)) >> kFractionBits);
}

Kernel& Chosen() {
  static Kernel k = Best();
  return k;
}

void VerticalPortable(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t from,
                      std::int32_t n, std::int32_t weight) {
  const std::int32_t keep = kOne - weight;
  for (std::int32_t j = from; j < n; ++j) {
    const std::int32_t v = lower[j] * keep + upper[j] * weight;
    out[j] = static_cast<std::uint8_t>((v + (kOne / 2 - 1) + ((v >> kFractionBits) & 1)) >> kFractionBits);
  }
}

// A weight that is a multiple of 2^8 (as every fraction of a position of
// 256 or more is) gives the same result in 16-bit pairs: with D' = D / 2^8,
// (a x (2^15 - D') + b x D') / 2^15, rounded the same way. One
// multiply-add of the pair (a, b) with (2^15 - D', D') computes it. D = 0
// is left out: 2^15 does not fit a signed 16-bit lane.
constexpr int kPairBits = 15;
inline bool Pairs(std::int32_t weight) { return weight != 0 && weight % 256 == 0; }
// Both multipliers in one 32-bit lane: the low word multiplies a, the high b.
inline std::int32_t PairWeights(std::int32_t weight) {
  const std::int32_t d = weight >> 8;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(d) << 16) | ((1 << kPairBits) - d);
}

// The vector forms of Fixed, lane by lane, on bytes widened to 32 bits:
// n = a x 2^23 + (b - a) x w, then rounded as above; and of its pair form.
#ifdef VARNEL_X86
VARNEL_SSE41 inline __m128i Fixed4(__m128i a, __m128i b, __m128i weight) {
  const __m128i n = _mm_add_epi32(_mm_slli_epi32(a, kFractionBits), _mm_mullo_epi32(_mm_sub_epi32(b, a), weight));
  const __m128i odd = _mm_and_si128(_mm_srli_epi32(n, kFractionBits), _mm_set1_epi32(1));
  return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(n, _mm_set1_epi32(kOne / 2 - 1)), odd), kFractionBits);
}

VARNEL_SSE41 inline __m128i Round4(__m128i n) {
  const __m128i odd = _mm_and_si128(_mm_srli_epi32(n, kPairBits), _mm_set1_epi32(1));
  return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(n, _mm_set1_epi32((1 << (kPairBits - 1)) - 1)), odd), kPairBits);
}

// Sixteen results in 32-bit lanes, as bytes in lane order.
VARNEL_SSE41 inline __m128i Pack16(__m128i r0, __m128i r1, __m128i r2, __m128i r3) {
  return _mm_packus_epi16(_mm_packus_epi32(r0, r1), _mm_packus_epi32(r2, r3));
}

VARNEL_SSE41 void VerticalSse41(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
                                std::int32_t weight) {
  const __m128i w = _mm_set1_epi32(weight);
  std::int32_t j = 0;
  if (Pairs(weight)) {
    const __m128i pair = _mm_set1_epi32(PairWeights(weight)), zero = _mm_setzero_si128();
    for (; j + 16 <= n; j += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + j));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + j));
      const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);  // a0 b0 a1 b1 ...
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                       Pack16(Round4(_mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pair)),
                              Round4(_mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pair)),
                              Round4(_mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pair)),
                              Round4(_mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pair))));
    }
  }
  for (; j + 16 <= n; j += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + j));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + j));
    const __m128i r0 = Fixed4(_mm_cvtepu8_epi32(a), _mm_cvtepu8_epi32(b), w);
    const __m128i r1 = Fixed4(_mm_cvtepu8_epi32(_mm_srli_si128(a, 4)), _mm_cvtepu8_epi32(_mm_srli_si128(b, 4)), w);
    const __m128i r2 = Fixed4(_mm_cvtepu8_epi32(_mm_srli_si128(a, 8)), _mm_cvtepu8_epi32(_mm_srli_si128(b, 8)), w);
    const __m128i r3 = Fixed4(_mm_cvtepu8_epi32(_mm_srli_si128(a, 12)), _mm_cvtepu8_epi32(_mm_srli_si128(b, 12)), w);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), Pack16(r0, r1, r2, r3));
  }
  VerticalPortable(lower, upper, out, j, n, weight);
}

VARNEL_AVX2 inline __m256i Fixed8(__m256i a, __m256i b, __m256i weight) {
  const __m256i n =
      _mm256_add_epi32(_mm256_slli_epi32(a, kFractionBits), _mm256_mullo_epi32(_mm256_sub_epi32(b, a), weight));
  const __m256i odd = _mm256_and_si256(_mm256_srli_epi32(n, kFractionBits), _mm256_set1_epi32(1));
  return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(n, _mm256_set1_epi32(kOne / 2 - 1)), odd), kFractionBits);
}

VARNEL_AVX2 inline __m256i Round8(__m256i n) {
  const __m256i odd = _mm256_and_si256(_mm256_srli_epi32(n, kPairBits), _mm256_set1_epi32(1));
  return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(n, _mm256_set1_epi32((1 << (kPairBits - 1)) - 1)), odd),
                           kPairBits);
}

// Thirty-two results in 32-bit lanes as bytes: the low 128-bit lanes of
// r0..r3 give bytes 0..15 and the high ones bytes 16..31.
VARNEL_AVX2 inline __m256i Pack32(__m256i r0, __m256i r1, __m256i r2, __m256i r3) {
  return _mm256_packus_epi16(_mm256_packus_epi32(r0, r1), _mm256_packus_epi32(r2, r3));
}

VARNEL_AVX2 inline __m256i Widen8(const std::uint8_t* p) {
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

VARNEL_AVX2 void VerticalAvx2(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
                              std::int32_t weight) {
  const __m256i w = _mm256_set1_epi32(weight);
  // Widen8 fills register q with bytes 8q..8q+7, so Pack32 leaves the
  // 4-byte runs in the order 0 2 4 6 1 3 5 7.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  std::int32_t j = 0;
  if (Pairs(weight)) {
    // Unpacking works within 128-bit lanes, so register q holds pairs 4q..4q+3
    // of each lane and Pack32 puts them back in order.
    const __m256i pair = _mm256_set1_epi32(PairWeights(weight)), zero = _mm256_setzero_si256();
    for (; j + 32 <= n; j += 32) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + j));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + j));
      const __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j),
                          Pack32(Round8(_mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), pair)),
                                 Round8(_mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), pair)),
                                 Round8(_mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), pair)),
                                 Round8(_mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), pair))));
    }
  }
  for (; j + 32 <= n; j += 32) {
    const __m256i r0 = Fixed8(Widen8(lower + j), Widen8(upper + j), w);
    const __m256i r1 = Fixed8(Widen8(lower + j + 8), Widen8(upper + j + 8), w);
    const __m256i r2 = Fixed8(Widen8(lower + j + 16), Widen8(upper + j + 16), w);
    const __m256i r3 = Fixed8(Widen8(lower + j + 24), Widen8(upper + j + 24), w);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j),
                        _mm256_permutevar8x32_epi32(Pack32(r0, r1, r2, r3), order));
  }
  VerticalPortable(lower, upper, out, j, n, weight);
}
#endif

#ifdef VARNEL_AVX512
// Sixteen results from sixteen pairs of bytes widened to 32 bits.
VARNEL_WIDE inline __m128i Fixed16(__m512i a, __m512i b, __m512i weight) {
  const __m512i t = _mm512_mullo_epi32(_mm512_sub_epi32(b, a), weight);
  const __m512i n = _mm512_add_epi32(_mm512_slli_epi32(a, kFractionBits), t);
  const __m512i odd = _mm512_and_si512(_mm512_srli_epi32(n, kFractionBits), _mm512_set1_epi32(1));
  const __m512i r =
      _mm512_srli_epi32(_mm512_add_epi32(_mm512_add_epi32(n, _mm512_set1_epi32(kOne / 2 - 1)), odd), kFractionBits);
  return _mm512_cvtepi32_epi8(r);
}

VARNEL_WIDE void VerticalAvx512(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
                                std::int32_t weight) {
  const __m512i w = _mm512_set1_epi32(weight);
  std::int32_t j = 0;
  for (; j + 16 <= n; j += 16) {
    const __m512i a = _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + j)));
    const __m512i b = _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + j)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), Fixed16(a, b, w));
  }
  VerticalPortable(lower, upper, out, j, n, weight);
}
#endif

}  // namespace

const char* Name(Kernel kernel) {
  switch (kernel) {
    case Kernel::Portable: return "portable";
    case Kernel::Sse41: return "SSE4.1";
    case Kernel::Avx2: return "AVX2";
    case Kernel::Avx512: return "AVX-512";
  }
  return "?";
}

bool Supported(Kernel kernel) {
  switch (kernel) {
    case Kernel::Portable: return true;
#ifdef VARNEL_X86
    case Kernel::Sse41: __builtin_cpu_init(); return __builtin_cpu_supports("sse4.1");
    case Kernel::Avx2: __builtin_cpu_init(); return __builtin_cpu_supports("avx2");
#endif
#ifdef VARNEL_AVX512
    case Kernel::Avx512:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
#endif
    default: return false;
  }
}

Kernel Best() {
  for (Kernel k : {Kernel::Avx512, Kernel::Avx2, Kernel::Sse41})
    if (Supported(k)) return k;
  return Kernel::Portable;
}

Kernel Current() { return Chosen(); }

bool Use(Kernel kernel) {
  if (!Supported(kernel)) return false;
  Chosen() = kernel;
  return true;
}

void Vertical(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
              std::int32_t weight) {
  switch (Chosen()) {
#ifdef VARNEL_AVX512
    case Kernel::Avx512: return VerticalAvx512(lower, upper, out, n, weight);
#endif
#ifdef VARNEL_X86
    case Kernel::Avx2: return VerticalAvx2(lower, upper, out, n, weight);
    case Kernel::Sse41: return VerticalSse41(lower, upper, out, n, weight);
#endif
    default: return VerticalPortable(lower, upper, out, 0, n, weight);
  }
}

Horizontal::Horizontal(std::vector<std::int32_t> offset, std::vector<std::int32_t> weight)
    : kernel_(Chosen()), offset_(std::move(offset)), weight_(std::move(weight)) {
  switch (kernel_) {
    case Kernel::Sse41: PlanShuffles(1); break;
    case Kernel::Avx2: PlanShuffles(2); break;
    case Kernel::Avx512: PlanPermutes(); break;
    case Kernel::Portable: break;
  }
}

void Horizontal::PlanShuffles(int lanes) {
  const std::int64_t bytes = 3 * static_cast<std::int64_t>(offset_.size());
  const std::int64_t blockBytes = 16 * lanes;
  auto at = [&](std::int64_t j) { return offset_[static_cast<std::size_t>(j / 3)] + static_cast<std::int32_t>(j % 3); };
  for (std::int64_t block = 0; block + blockBytes <= bytes; block += blockBytes) {
    bool fits = true, pairs = true;
    for (std::int64_t j = block; j < block + blockBytes; ++j)
      pairs = pairs && Pairs(weight_[static_cast<std::size_t>(j / 3)]);
    // Register i of the kernel holds group i of each lane.
    for (int i = 0; i < 4; ++i)
      for (int lane = 0; lane < lanes; ++lane) {
        const std::int64_t first = block + 16 * lane + 4 * i;
        // The first byte read is not always the group's first: a pixel
        // can read the same bytes as the one before it.
        std::int32_t base = at(first);
        for (std::int64_t j = first + 1; j < first + 4; ++j) base = std::min(base, at(j));
        groupBase_.push_back(base);
        for (std::int64_t j = first; j < first + 4; ++j) {
          const std::int32_t rel = at(j) - base, weight = weight_[static_cast<std::size_t>(j / 3)];
          fits = fits && rel >= 0 && rel + 3 < 16;
          const auto left = static_cast<std::uint8_t>(fits ? rel : 0);
          // A 32-bit lane takes the left byte alone, or the pair (left, right).
          const std::uint8_t lane32[4] = {left, 0x80, pairs ? static_cast<std::uint8_t>(left + 3) : std::uint8_t{0x80},
                                          0x80};
          groupIndex_.insert(groupIndex_.end(), lane32, lane32 + 4);
          groupWeight_.push_back(pairs ? PairWeights(weight) : weight);
        }
      }
    blockKind_.push_back(!fits ? BlockKind::Bytes : pairs ? BlockKind::Pairs : BlockKind::Lanes);
  }
}

void Horizontal::PlanPermutes() {
  const auto width = static_cast<std::int32_t>(offset_.size());
  for (std::int32_t x0 = 0; x0 + 16 <= width; x0 += 16) {
    Block b{offset_[static_cast<std::size_t>(x0)], true};
    for (std::int32_t p = 0; p < 16; ++p) {
      const auto x = static_cast<std::size_t>(x0) + static_cast<std::size_t>(p);
      const std::int32_t rel = offset_[x] - b.base;
      b.fits = b.fits && rel >= 0 && rel + 5 < 128;
      for (int k = 0; k < 3; ++k) {
        index_.push_back(static_cast<std::uint8_t>(b.fits ? rel + k : 0));
        weights_.push_back(weight_[x]);
      }
    }
    index_.resize(index_.size() + 16, 0);
    blocks_.push_back(b);
  }
}

void Horizontal::RunPixels(const std::uint8_t* vertical, std::uint8_t* out, std::int32_t from, std::int32_t to) const {
  for (std::int32_t x = from; x < to; ++x) {
    const std::uint8_t* p = vertical + offset_[static_cast<std::size_t>(x)];
    const std::int32_t w = weight_[static_cast<std::size_t>(x)];
    out[3 * x] = Fixed(p[0], p[3], w);
    out[3 * x + 1] = Fixed(p[1], p[4], w);
    out[3 * x + 2] = Fixed(p[2], p[5], w);
  }
}

void Horizontal::RunBytes(const std::uint8_t* vertical, std::uint8_t* out, std::int64_t from, std::int64_t to) const {
  for (std::int64_t j = from; j < to; ++j) {
    const auto x = static_cast<std::size_t>(j / 3);
    const std::uint8_t* p = vertical + offset_[x] + j % 3;
    out[j] = Fixed(p[0], p[3], weight_[x]);
  }
}

#ifdef VARNEL_X86
VARNEL_SSE41 void Horizontal::RunSse41(const std::uint8_t* vertical, std::uint8_t* out) const {
  const __m128i three = _mm_set1_epi32(3);  // from a group's left bytes to its right ones
  for (std::size_t b = 0; b < blockKind_.size(); ++b) {
    const auto first = static_cast<std::int64_t>(16 * b);
    if (blockKind_[b] == BlockKind::Bytes) {
      RunBytes(vertical, out, first, first + 16);
      continue;
    }
    const bool pairs = blockKind_[b] == BlockKind::Pairs;
    __m128i r[4];
    for (std::size_t i = 0; i < 4; ++i) {
      const std::size_t g = 4 * b + i;
      const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vertical + groupBase_[g]));
      const __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(groupIndex_.data() + 16 * g));
      const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(groupWeight_.data() + 4 * g));
      r[i] =
          pairs ? Round4(_mm_madd_epi16(_mm_shuffle_epi8(window, index), weight))
                : Fixed4(_mm_shuffle_epi8(window, index), _mm_shuffle_epi8(window, _mm_add_epi8(index, three)), weight);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + first), Pack16(r[0], r[1], r[2], r[3]));
  }
  RunBytes(vertical, out, static_cast<std::int64_t>(16 * blockKind_.size()), 3 * std::int64_t(offset_.size()));
}

VARNEL_AVX2 void Horizontal::RunAvx2(const std::uint8_t* vertical, std::uint8_t* out) const {
  const __m256i three = _mm256_set1_epi32(3);
  for (std::size_t b = 0; b < blockKind_.size(); ++b) {
    const auto first = static_cast<std::int64_t>(32 * b);
    if (blockKind_[b] == BlockKind::Bytes) {
      RunBytes(vertical, out, first, first + 32);
      continue;
    }
    const bool pairs = blockKind_[b] == BlockKind::Pairs;
    __m256i r[4];
    for (std::size_t i = 0; i < 4; ++i) {
      const std::size_t g = 8 * b + 2 * i;  // the low lane's group; the high lane's follows
      const __m256i window = _mm256_inserti128_si256(
          _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(vertical + groupBase_[g]))),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(vertical + groupBase_[g + 1])), 1);
      const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(groupIndex_.data() + 16 * g));
      const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(groupWeight_.data() + 4 * g));
      r[i] = pairs ? Round8(_mm256_madd_epi16(_mm256_shuffle_epi8(window, index), weight))
                   : Fixed8(_mm256_shuffle_epi8(window, index),
                            _mm256_shuffle_epi8(window, _mm256_add_epi8(index, three)), weight);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + first), Pack32(r[0], r[1], r[2], r[3]));
  }
  // GCC 12 leaves out the vzeroupper before a tail call, and code without
  // VEX runs slowly after it (here and in the caller) until one comes.
  _mm256_zeroupper();
  RunBytes(vertical, out, static_cast<std::int64_t>(32 * blockKind_.size()), 3 * std::int64_t(offset_.size()));
}
#else
void Horizontal::RunSse41(const std::uint8_t* vertical, std::uint8_t* out) const {
  RunPixels(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
}
void Horizontal::RunAvx2(const std::uint8_t* vertical, std::uint8_t* out) const {
  RunPixels(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
}
#endif

#ifdef VARNEL_AVX512
VARNEL_WIDE void Horizontal::RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const {
  const __m512i three = _mm512_set1_epi8(3);
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const auto x0 = static_cast<std::int32_t>(16 * i);
    const Block& b = blocks_[i];
    if (!b.fits) {
      RunPixels(vertical, out, x0, x0 + 16);
      continue;
    }
    const std::uint8_t* window = vertical + b.base;
    const __m512i lo = _mm512_loadu_si512(window);
    const __m512i hi = _mm512_loadu_si512(window + 64);
    const __m512i index = _mm512_loadu_si512(index_.data() + 64 * i);
    const __m512i left = _mm512_permutex2var_epi8(lo, index, hi);
    const __m512i right = _mm512_permutex2var_epi8(lo, _mm512_add_epi8(index, three), hi);
    const std::int32_t* w = weights_.data() + 48 * i;
    std::uint8_t* o = out + 3 * x0;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                     Fixed16(_mm512_cvtepu8_epi32(_mm512_castsi512_si128(left)),
                             _mm512_cvtepu8_epi32(_mm512_castsi512_si128(right)), _mm512_loadu_si512(w)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16),
                     Fixed16(_mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(left, 1)),
                             _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(right, 1)), _mm512_loadu_si512(w + 16)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32),
                     Fixed16(_mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(left, 2)),
                             _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(right, 2)), _mm512_loadu_si512(w + 32)));
  }
  _mm256_zeroupper();  // as in RunAvx2
  RunPixels(vertical, out, static_cast<std::int32_t>(16 * blocks_.size()), static_cast<std::int32_t>(offset_.size()));
}
#else
void Horizontal::RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const {
  RunPixels(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
}
#endif

void Horizontal::Run(const std::uint8_t* vertical, std::uint8_t* out) const {
  switch (kernel_) {
    case Kernel::Avx512: return RunAvx512(vertical, out);
    case Kernel::Avx2: return RunAvx2(vertical, out);
    case Kernel::Sse41: return RunSse41(vertical, out);
    case Kernel::Portable: return RunPixels(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
  }
}

}  // namespace varnel::resample
