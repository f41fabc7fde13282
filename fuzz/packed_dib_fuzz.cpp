// The clipboard's packed picture (kCfDib), which another program filled:
// any bytes, in a block of exactly their size, as the clipboard's global
// memory is (AddressSanitizer marks the byte after it).
//
// ParsePackedDib either refuses the block or names parts that lie inside
// it: the bytes from the header to the end of the last scan line are all
// read here. What it accepts goes, as the capture sends it, through
// cDIBSection::CreateFromPackedDib on the simulated platform. When the
// buffer is filled it has the picture's size and, for the formats the
// simulated GDI draws (24 and 32 bits a pixel), its pixels; filled or not,
// it leaves no graphics object behind once it is gone.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "imaging/dib_section.h"
#include "imaging/packed_dib.h"

namespace varnel::fuzz {
namespace {

std::uint64_t Stride(const PackedDib& p) {
  return (std::uint64_t(p.width) * p.info->bmiHeader.biBitCount + 31) / 32 * 4;
}

// Every byte from the block's start to the end of the pixels, summed so
// that no read is left out.
unsigned TouchAll(const std::uint8_t* block, const PackedDib& p) {
  const std::uint8_t* end = p.bits + Stride(p) * std::uint64_t(p.height);
  unsigned sum = 0;
  for (const std::uint8_t* b = block; b < end; ++b) sum += *b;
  return sum;
}

// The pixel at (x, y), counted from the top left, as 0x00RRGGBB: for 24
// bits a pixel, and for 32 with no masks or the usual ones.
std::optional<std::uint32_t> SourcePixel(const PackedDib& p, std::int32_t x, std::int32_t y) {
  const plat::BitmapInfoHeader& h = p.info->bmiHeader;
  if (h.biBitCount != 24 && h.biBitCount != 32) return std::nullopt;
  if (h.biCompression == plat::kBiBitfields) {
    std::uint32_t masks[3];
    std::memcpy(masks, reinterpret_cast<const std::uint8_t*>(p.info) + sizeof h, sizeof masks);
    if (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) return std::nullopt;
  }
  const std::int64_t row = h.biHeight > 0 ? p.height - 1 - y : y;
  const std::uint8_t* px = p.bits + std::uint64_t(row) * Stride(p) + std::uint64_t(x) * (h.biBitCount / 8u);
  return px[0] | std::uint32_t{px[1]} << 8 | std::uint32_t{px[2]} << 16;
}

std::uint32_t BufferPixel(const cDIBSection& buffer, std::int32_t x, std::int32_t y) {
  const std::uint8_t* px = buffer.DIBSectionBitsPtr() +
                           std::int64_t{buffer.Height() - 1 - y} * buffer.BytesPerScanLine() + std::int64_t{x} * 3;
  return px[0] | std::uint32_t{px[1]} << 8 | std::uint32_t{px[2]} << 16;
}

void Check(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]);
  if (size) std::memcpy(block.get(), data, size);
  const std::optional<PackedDib> picture = ParsePackedDib(block.get(), size);
  if (!picture) return;
  Require(picture->width > 0 && picture->height > 0, "an accepted picture has a size");
  volatile unsigned sum = TouchAll(block.get(), *picture);
  (void)sum;

  {
    cDIBSection buffer;
    if (buffer.CreateFromPackedDib(*picture) == cDIBSection::Fill::Done) {
      Require(buffer.Width() == picture->width && buffer.Height() == picture->height,
              "the buffer has the picture's size");
      const std::int32_t xs[] = {0, picture->width / 2, picture->width - 1};
      const std::int32_t ys[] = {0, picture->height / 2, picture->height - 1};
      for (std::int32_t y : ys)
        for (std::int32_t x : xs)
          if (const std::optional<std::uint32_t> source = SourcePixel(*picture, x, y))
            Require(BufferPixel(buffer, x, y) == *source, "the buffer holds the picture's pixels");
    }
  }
  Require(sim::LiveGdiObjects() == 0, "the buffer leaves no graphics object behind");
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  sim::Reset(varnel::fuzz::Sandbox());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::ClearCalls();  // the simulated calls' log would grow without end
  varnel::fuzz::Check(data, size);
  return 0;
}
