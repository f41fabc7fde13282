// The PNG encoder: a 24-bit picture (image_view.h) into a whole PNG file
// in memory, 8-bit red, green, blue without alpha, that decodes to exactly
// the picture's pixels. Rows are filtered as libpng's writer filters them
// (png_filters.h) and compressed with libdeflate at level 6, or 7 for
// noisy content such as photos.
//
// A picture of at least `minPixels` pixels is cut into runs of whole rows,
// one piece each, filtered and compressed in parallel on the run's
// WorkPool. A piece's compressed data ends on a byte boundary with no final
// block (a zlib sync flush), so the pieces joined make one zlib stream,
// whose Adler-32 is combined from the pieces' own. Each piece starts with
// an empty history: a little larger than one piece, much faster.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/encoded_file.h"
#include "imaging/image_view.h"
#include "imaging/png_filters.h"

namespace varnel {

struct PngSettings {
  int pieces;              // at most; a piece holds at least one row
  std::int64_t minPixels;  // smaller pictures are one piece, on the calling thread
  png::Kernel kernel;      // must be supported
};

// As many pieces as the run's WorkPool has threads, from 1 Mpx on, with
// the fastest kernel. Tests and benchmarks choose others.
PngSettings DefaultPngSettings();

// The file's bytes. The picture must have sizes of at least 1, a width of
// at most 715,827,861 and a stride that holds a row (std::invalid_argument
// otherwise). Throws std::bad_alloc
// when memory runs out. Pictures in pieces take the WorkPool, which runs
// one job at a time: a second caller waits.
std::vector<std::uint8_t> EncodePng(const ImageView& image);
std::vector<std::uint8_t> EncodePng(const ImageView& image, const PngSettings& settings);

// The same as a file to write: one piece, owned. Memory running out
// raises kErrOutOfMemory.
EncodedFile EncodePngFile(const ImageView& image);

}  // namespace varnel
