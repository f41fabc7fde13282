// A packed picture is another program's memory: every header that claims
// more than the block holds, or a form GDI is not asked to draw, is refused
// before a byte outside the block is read.
#include "imaging/packed_dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace varnel {
namespace {

// A block holding a header of `headerSize` bytes, `extra` bytes of masks or
// colour table and the pixels of width x height at bpp, changed by `edit`.
std::vector<std::uint32_t> Block(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint16_t bpp,
                                 std::uint32_t compression, std::size_t extra,
                                 const std::function<void(plat::BitmapInfoHeader&)>& edit = {}) {
  plat::BitmapInfoHeader h{};
  h.biSize = headerSize;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = bpp;
  h.biCompression = compression;
  if (edit) edit(h);
  const std::size_t stride = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
  const std::size_t rows = static_cast<std::size_t>(height < 0 ? -std::int64_t{height} : height);
  std::vector<std::uint32_t> block((headerSize + extra + stride * rows + 3) / 4, 0);
  std::memcpy(block.data(), &h, sizeof h);
  return block;
}

TEST(PackedDibTest, OnlyWholePicturesOfKnownFormsAreTaken) {
  struct Row {
    const char* what;
    std::vector<std::uint32_t> block;
    std::ptrdiff_t cut;       // bytes taken off the block's end
    std::ptrdiff_t offset;    // where the pixels must start; -1: refused
    std::int32_t height = 0;  // as reported, when taken
  } rows[] = {
      {"24 bits, bottom-up", Block(40, 5, 3, 24, plat::kBiRgb, 0), 0, 40, 3},
      {"32 bits, top-down", Block(40, 4, -2, 32, plat::kBiRgb, 0), 0, 40, 2},
      {"masks after a 40-byte header", Block(40, 3, 3, 32, plat::kBiBitfields, 12), 0, 52, 3},
      {"masks inside a V5 header", Block(124, 3, 3, 32, plat::kBiBitfields, 0), 0, 124, 3},
      {"8 bits with its full palette", Block(40, 7, 2, 8, plat::kBiRgb, 1024), 0, 1064, 2},
      {"8 bits with 16 colours used", Block(40, 7, 2, 8, plat::kBiRgb, 64, [](auto& h) { h.biClrUsed = 16; }), 0, 104,
       2},
      {"one pixel byte short", Block(40, 5, 3, 24, plat::kBiRgb, 0), 1, -1},
      {"palette larger than the bits allow", Block(40, 7, 2, 8, plat::kBiRgb, 2048, [](auto& h) { h.biClrUsed = 512; }),
       0, -1},
      {"colour count that overflows", Block(40, 1, 1, 24, plat::kBiRgb, 0, [](auto& h) { h.biClrUsed = ~0u; }), 0, -1},
      {"huge size claimed", Block(40, 1, 1, 24, plat::kBiRgb, 0, [](auto& h) { h.biWidth = h.biHeight = 0x7FFFFFFF; }),
       0, -1},
      {"lowest height", Block(40, 1, 1, 24, plat::kBiRgb, 0, [](auto& h) { h.biHeight = INT32_MIN; }), 0, -1},
      {"no width", Block(40, 1, 1, 24, plat::kBiRgb, 0, [](auto& h) { h.biWidth = 0; }), 0, -1},
      {"unknown header size", Block(64, 2, 2, 24, plat::kBiRgb, 0), 0, -1},
      {"header longer than the block", Block(40, 1, 1, 24, plat::kBiRgb, 0, [](auto& h) { h.biSize = 124; }), 0, -1},
      {"run-length compressed", Block(40, 4, 4, 8, 1, 1024), 0, -1},
      {"masks at 24 bits", Block(40, 4, 4, 24, plat::kBiBitfields, 12), 0, -1},
      {"two planes", Block(40, 2, 2, 24, plat::kBiRgb, 0, [](auto& h) { h.biPlanes = 2; }), 0, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const auto parsed = ParsePackedDib(row.block.data(), row.block.size() * 4 - static_cast<std::size_t>(row.cut));
    if (row.offset < 0) {
      EXPECT_FALSE(parsed);
      continue;
    }
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->bits - reinterpret_cast<const std::uint8_t*>(row.block.data()), row.offset);
    EXPECT_EQ(parsed->height, row.height);
    EXPECT_EQ(static_cast<const void*>(parsed->info), static_cast<const void*>(row.block.data()));
  }
  EXPECT_FALSE(ParsePackedDib(nullptr, 100));
}

}  // namespace
}  // namespace varnel
