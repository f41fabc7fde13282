// Internal to the platform layer: the JPEG library's encoder. It encodes a
// picture in memory into one baseline JPEG held in buffers kept for the
// run, so a capture allocates nothing once the buffers have grown to the
// size of its files.
//
// A picture of at least kStripeMinPixels is cut into horizontal stripes of
// whole MCU rows, one for each thread of the run's WorkPool, encoded in
// parallel and joined into one JPEG: every stripe boundary is a restart
// boundary (DRI in the header, RSTn markers numbered across the stripes),
// and the frame header carries the whole picture's height. Entropy coding
// is lossless and every block is coded from its own pixels, so the decoded
// pixels are those of the encode in one piece.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel::jpeg {

struct JpegInput {
  const std::uint8_t* bits;  // `height` rows of `pitch` bytes
  std::int32_t width, height, pitch;
  bool bottomUp;         // the first row in memory is the picture's bottom row
  bool rgb;              // bytes red, green, blue; otherwise blue, green, red
  std::int32_t quality;  // 1..100
  // Luminance samples per chroma sample: 1 x 1 is 4:4:4, 2 x 1 is 4:2:2,
  // 2 x 2 is 4:2:0.
  std::int32_t lumaH, lumaV;
};

enum class EncodeResult { Ok, Failed, OutOfMemory };

// Encodes the picture, which the caller has checked (sizes of at least 1,
// a pitch that holds a row); a side over 65500 pixels, JPEG's limit, fails.
// On Ok, *jpeg and *size give the whole file, valid until the next call.
// One call at a time.
EncodeResult EncodeJpeg(const JpegInput& input, const std::uint8_t** jpeg, std::size_t* size);

// The encoder keeps its compressors and their output between pictures, so
// that a burst of captures reuses them. ReleaseMemory gives them back (the
// last file's bytes go with them); the next picture makes them again.
// KeptBytes: the output memory kept now.
void ReleaseMemory();
std::size_t KeptBytes();

inline constexpr std::int64_t kStripeMinPixels = 1'000'000;

// How pictures are cut: into at most `stripes` stripes (the pool's threads
// by default) once they have `minPixels` pixels. Tests and benchmarks
// change it; stripes beyond the pool's threads take turns on them.
struct StripeSettings {
  int stripes;
  std::int64_t minPixels;
};
StripeSettings DefaultStripeSettings();
void SetStripeSettings(StripeSettings settings);

}  // namespace varnel::jpeg
