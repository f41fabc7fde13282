#include "imaging/png_encoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "imaging/work_pool.h"

namespace varnel {

namespace {

// libpng's default level, zlib's 6: libdeflate's compresses smaller and
// several times faster. Noisy content (a photo: under half the filtered
// bytes zero, against over 70 % on screens of text and windows) leaves few
// long matches, and the short ones libdeflate 6 takes cost more than they
// save; its level 7 looks further and compresses it smaller than libpng,
// taking about twice as long there.
constexpr int kLevel = 6, kNoisyLevel = 7;
constexpr double kNoisyZeros = 0.6;
constexpr std::int64_t kPieceMinPixels = 1'000'000;
// The zlib stream goes into IDAT chunks of at most this many bytes.
constexpr std::size_t kIdatBytes = std::size_t{256} << 10;
// A row's filtered bytes, with room for the filters' vectors, fit 31 bits.
constexpr std::int32_t kMaxWidth = (INT32_MAX - 64) / 3;
constexpr std::uint32_t kAdlerBase = 65521;

struct FreeCompressor {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, FreeCompressor>;

// The Adler-32 of two runs of bytes one after the other, from each run's
// own (started at 1) and the second run's length.
std::uint32_t CombineAdler(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
  const std::uint64_t a1 = first & 0xFFFF, b1 = first >> 16, a2 = second & 0xFFFF, b2 = second >> 16;
  const std::uint64_t a = (a1 + a2 + kAdlerBase - 1) % kAdlerBase;
  const std::uint64_t b = (b1 + b2 + secondLength % kAdlerBase * ((a1 + kAdlerBase - 1) % kAdlerBase)) % kAdlerBase;
  return static_cast<std::uint32_t>(b << 16 | a);
}

// A run of whole rows, filtered and compressed on its own.
struct Piece {
  std::int32_t top = 0, rows = 0;
  std::unique_ptr<std::uint8_t[]> deflated;
  std::size_t size = 0;     // bytes of `deflated`
  std::uint64_t bytes = 0;  // filtered bytes, each row's filter type with it
  std::uint32_t adler = 1;
  bool failed = false;
};

// Fills the piece; the last piece of a picture ends its deflate stream,
// the others end on a sync flush.
void Compress(const ImageView& image, png::Kernel kernel, bool last, Piece& piece) noexcept {
  try {
    const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(image.width);
    const std::size_t n = rowBytes * static_cast<std::size_t>(piece.rows);
    const auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(n);
    png::RowFilter filter(image.width, kernel);
    filter.Start(piece.top > 0 ? image.Row(piece.top - 1) : nullptr);
    for (std::int32_t r = 0; r < piece.rows; ++r)
      filter.Next(image.Row(piece.top + r), filtered.get() + static_cast<std::size_t>(r) * rowBytes);
    piece.bytes = n;
    piece.adler = libdeflate_adler32(1, filtered.get(), n);

    const bool noisy = static_cast<double>(filter.Zeros()) <
                       kNoisyZeros * static_cast<double>(n - static_cast<std::size_t>(piece.rows));
    const Compressor compressor(libdeflate_alloc_compressor(noisy ? kNoisyLevel : kLevel));
    if (!compressor) throw std::bad_alloc();
    const std::size_t bound = libdeflate_deflate_compress_bound(compressor.get(), n);
    piece.deflated = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    piece.size =
        last ? libdeflate_deflate_compress(compressor.get(), filtered.get(), n, piece.deflated.get(), bound)
             : libdeflate_deflate_compress_sync(compressor.get(), filtered.get(), n, piece.deflated.get(), bound);
    piece.failed = piece.size == 0;  // never within the bound
  } catch (const std::exception&) {  // memory
    piece.failed = true;
  }
}

// Writes a file into memory sized for it beforehand: bytes, and PNG
// chunks (length, type, data, then the CRC of type and data).
class FileWriter {
 public:
  explicit FileWriter(std::uint8_t* at) : at_(at) {}

  const std::uint8_t* At() const { return at_; }
  void Add(const void* data, std::size_t n) {
    std::memcpy(at_, data, n);
    at_ += n;
  }
  void Put32(std::uint32_t v) {
    const std::uint8_t be[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    Add(be, 4);
  }
  void Begin(const char (&type)[5]) {
    chunk_ = at_;
    at_ += 4;  // the length, once known
    Add(type, 4);
  }
  void End() {
    const auto length = static_cast<std::size_t>(at_ - chunk_ - 8);
    std::uint8_t* const after = at_;
    at_ = chunk_;
    Put32(static_cast<std::uint32_t>(length));
    at_ = after;
    // Type and data, never empty: libdeflate_crc32 gives 0 for no bytes.
    Put32(static_cast<std::uint32_t>(libdeflate_crc32(0, chunk_ + 4, length + 4)));
  }

 private:
  std::uint8_t* at_;
  std::uint8_t* chunk_ = nullptr;
};

// The zlib stream as IDAT chunks of at most kIdatBytes.
class IdatWriter {
 public:
  explicit IdatWriter(FileWriter& chunks) : chunks_(chunks) {}
  void Add(const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
      if (inChunk_ == 0) chunks_.Begin("IDAT");
      const std::size_t take = std::min(n, kIdatBytes - inChunk_);
      chunks_.Add(data, take);
      data += take;
      n -= take;
      inChunk_ += take;
      if (inChunk_ == kIdatBytes) Close();
    }
  }
  void Close() {
    if (inChunk_ > 0) chunks_.End();
    inChunk_ = 0;
  }

 private:
  FileWriter& chunks_;
  std::size_t inChunk_ = 0;
};

}  // namespace

PngSettings DefaultPngSettings() { return {WorkPool::Shared().Threads(), kPieceMinPixels, png::Best()}; }

std::vector<std::uint8_t> EncodePng(const ImageView& image) { return EncodePng(image, DefaultPngSettings()); }

EncodedFile EncodePngFile(const ImageView& image) {
  // Memory running out raises std::bad_alloc, which the capture's handler
  // reports as memory, as every other step's.
  EncodedFile file;
  file.owned = EncodePng(image);
  file.pieces.push_back({file.owned.data(), file.owned.size()});
  return file;
}

std::vector<std::uint8_t> EncodePng(const ImageView& image, const PngSettings& settings) {
  if (image.bits == nullptr || image.width < 1 || image.width > kMaxWidth || image.height < 1 ||
      image.stride < 3 * static_cast<std::int64_t>(image.width) || !png::Supported(settings.kernel))
    throw std::invalid_argument("EncodePng: not a picture");
  // Filtered rows of a piece, and their compressed form, are held in memory.
  const std::uint64_t rowBytes = 1 + 3 * static_cast<std::uint64_t>(image.width);
  if (rowBytes * static_cast<std::uint64_t>(image.height) > PTRDIFF_MAX / 2) throw std::bad_alloc();

  const std::int64_t pixels = static_cast<std::int64_t>(image.width) * image.height;
  const int count = pixels >= settings.minPixels ? std::clamp(settings.pieces, 1, image.height) : 1;
  std::vector<Piece> pieces(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Piece& p = pieces[static_cast<std::size_t>(i)];
    p.top = static_cast<std::int32_t>(static_cast<std::int64_t>(image.height) * i / count);
    p.rows = static_cast<std::int32_t>(static_cast<std::int64_t>(image.height) * (i + 1) / count) - p.top;
  }
  auto part = [&](int i) { Compress(image, settings.kernel, i == count - 1, pieces[static_cast<std::size_t>(i)]); };
  if (count == 1) {
    part(0);
  } else {
    WorkPool::Shared().Run(count, part);
  }

  std::uint32_t adler = 1;
  std::size_t streamBytes = 2 + 4;  // zlib's header and Adler-32
  for (const Piece& p : pieces) {
    if (p.failed) throw std::bad_alloc();
    adler = CombineAdler(adler, p.adler, p.bytes);
    streamBytes += p.size;
  }

  const std::size_t idatChunks = (streamBytes + kIdatBytes - 1) / kIdatBytes;
  std::vector<std::uint8_t> file(8 + 25 + streamBytes + 12 * idatChunks + 12);
  FileWriter out(file.data());
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out.Add(kSignature, 8);
  out.Begin("IHDR");
  out.Put32(static_cast<std::uint32_t>(image.width));
  out.Put32(static_cast<std::uint32_t>(image.height));
  // 8 bits a sample, red, green, blue; deflate, filter method 0, not interlaced.
  static constexpr std::uint8_t kFormat[5] = {8, 2, 0, 0, 0};
  out.Add(kFormat, 5);
  out.End();

  IdatWriter idat(out);
  // Deflate with a 32 KiB window, no preset dictionary, level "default".
  static constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x9C};
  idat.Add(kZlibHeader, 2);
  for (const Piece& p : pieces) idat.Add(p.deflated.get(), p.size);
  const std::uint8_t adlerBytes[4] = {static_cast<std::uint8_t>(adler >> 24), static_cast<std::uint8_t>(adler >> 16),
                                      static_cast<std::uint8_t>(adler >> 8), static_cast<std::uint8_t>(adler)};
  idat.Add(adlerBytes, 4);
  idat.Close();

  out.Begin("IEND");
  out.End();
  assert(out.At() == file.data() + file.size());
  return file;
}

}  // namespace varnel
