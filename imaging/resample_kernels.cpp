#include "imaging/resample_kernels.h"

#include <algorithm>

#if defined(__x86_64__) && !defined(_WIN32)
// Windows compilers do not align the stack for 64-byte registers, so the
// wide kernel is built for the other systems only.
#define VARNEL_AVX512 1
// GCC 12 takes the "undefined" registers inside the AVX-512 conversion
// intrinsics for uninitialised ones (a false report).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#endif

namespace varnel::resample {

namespace {

#ifdef VARNEL_AVX512
#define VARNEL_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#endif

inline std::uint8_t Fixed(std::int32_t a, std::int32_t b, std::int32_t weight) {
  // a x (2^23 - w) + b x w is at most 255 x 2^23, within 32 bits.
  const std::int32_t n = a * (kOne - weight) + b * weight;
  return static_cast<std::uint8_t>((n + (kOne / 2 - 1) + ((n >> kFractionBits) & 1)) >> kFractionBits);
}

bool Supported(Kernel kernel) {
  if (kernel == Kernel::Portable) return true;
#ifdef VARNEL_AVX512
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi");
#else
  return false;
#endif
}

Kernel& Chosen() {
  static Kernel k = Best();
  return k;
}

#ifdef VARNEL_AVX512
// Sixteen results from sixteen pairs of bytes widened to 32 bits.
VARNEL_WIDE inline __m128i Fixed16(__m512i a, __m512i b, __m512i weight) {
  const __m512i t = _mm512_mullo_epi32(_mm512_sub_epi32(b, a), weight);
  const __m512i n = _mm512_add_epi32(_mm512_slli_epi32(a, kFractionBits), t);
  const __m512i odd = _mm512_and_si512(_mm512_srli_epi32(n, kFractionBits), _mm512_set1_epi32(1));
  const __m512i r = _mm512_srli_epi32(_mm512_add_epi32(_mm512_add_epi32(n, _mm512_set1_epi32(kOne / 2 - 1)), odd),
                                      kFractionBits);
  return _mm512_cvtepi32_epi8(r);
}

VARNEL_WIDE void VerticalAvx512(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out,
                                std::int32_t n, std::int32_t weight) {
  const __m512i w = _mm512_set1_epi32(weight);
  std::int32_t j = 0;
  for (; j + 16 <= n; j += 16) {
    const __m512i a = _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + j)));
    const __m512i b = _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + j)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), Fixed16(a, b, w));
  }
  for (; j < n; ++j) out[j] = Fixed(lower[j], upper[j], weight);
}
#endif

}  // namespace

Kernel Best() { return Supported(Kernel::Avx512) ? Kernel::Avx512 : Kernel::Portable; }
Kernel Current() { return Chosen(); }

bool Use(Kernel kernel) {
  if (!Supported(kernel)) return false;
  Chosen() = kernel;
  return true;
}

void Vertical(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* out, std::int32_t n,
              std::int32_t weight) {
#ifdef VARNEL_AVX512
  if (Chosen() == Kernel::Avx512) return VerticalAvx512(lower, upper, out, n, weight);
#endif
  const std::int32_t keep = kOne - weight;
  for (std::int32_t j = 0; j < n; ++j) {
    const std::int32_t v = lower[j] * keep + upper[j] * weight;
    out[j] = static_cast<std::uint8_t>((v + (kOne / 2 - 1) + ((v >> kFractionBits) & 1)) >> kFractionBits);
  }
}

Horizontal::Horizontal(std::vector<std::int32_t> offset, std::vector<std::int32_t> weight)
    : offset_(std::move(offset)), weight_(std::move(weight)) {
  const auto width = static_cast<std::int32_t>(offset_.size());
  for (std::int32_t x0 = 0; x0 + 16 <= width; x0 += 16) {
    Block b{offset_[static_cast<std::size_t>(x0)], true};
    for (std::int32_t p = 0; p < 16; ++p) {
      const auto x = static_cast<std::size_t>(x0 + p);
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

void Horizontal::RunPortable(const std::uint8_t* vertical, std::uint8_t* out, std::int32_t from,
                             std::int32_t to) const {
  for (std::int32_t x = from; x < to; ++x) {
    const std::uint8_t* p = vertical + offset_[static_cast<std::size_t>(x)];
    const std::int32_t w = weight_[static_cast<std::size_t>(x)];
    out[3 * x] = Fixed(p[0], p[3], w);
    out[3 * x + 1] = Fixed(p[1], p[4], w);
    out[3 * x + 2] = Fixed(p[2], p[5], w);
  }
}

#ifdef VARNEL_AVX512
VARNEL_WIDE void Horizontal::RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const {
  const __m512i three = _mm512_set1_epi8(3);
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const auto x0 = static_cast<std::int32_t>(16 * i);
    const Block& b = blocks_[i];
    if (!b.fits) {
      RunPortable(vertical, out, x0, x0 + 16);
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
  const auto done = static_cast<std::int32_t>(16 * blocks_.size());
  RunPortable(vertical, out, done, static_cast<std::int32_t>(offset_.size()));
}
#else
void Horizontal::RunAvx512(const std::uint8_t* vertical, std::uint8_t* out) const {
  RunPortable(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
}
#endif

void Horizontal::Run(const std::uint8_t* vertical, std::uint8_t* out) const {
  if (Chosen() == Kernel::Avx512)
    RunAvx512(vertical, out);
  else
    RunPortable(vertical, out, 0, static_cast<std::int32_t>(offset_.size()));
}

}  // namespace varnel::resample
