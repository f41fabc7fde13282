#include "imaging/bmp_encoder.h"

#include "platform/dib_layout.h"
#include "platform/error.h"

namespace varnel {

EncodedFile EncodeBmp(const ImageView& image) {
  const std::int32_t fileStride = plat::ScanLineBytes(image.width);
  if (image.stride < image.width * 3) plat::Raise(plat::kErrInvalidArgument);
  const auto header = plat::BitmapFileHeader(image.width, image.height);
  EncodedFile file;
  file.owned.assign(header.begin(), header.end());
  file.pieces.push_back({file.owned.data(), file.owned.size()});
  if (image.stride == fileStride) {
    // The rows as the picture holds them, bottom-up and padded alike.
    file.pieces.push_back(
        {image.bits, static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height)});
    return file;
  }
  // A part of a wider picture: each row from where it stands, then the
  // file's padding.
  static constexpr std::uint8_t kPadding[3] = {};
  const auto rowBytes = static_cast<std::size_t>(image.width) * 3;
  const auto padding = static_cast<std::size_t>(fileStride) - rowBytes;
  file.pieces.reserve(file.pieces.size() + static_cast<std::size_t>(image.height) * (padding ? 2 : 1));
  for (std::int32_t i = 0; i < image.height; ++i) {
    file.pieces.push_back({image.bits + static_cast<std::ptrdiff_t>(i) * image.stride, rowBytes});
    if (padding) file.pieces.push_back({kPadding, padding});
  }
  return file;
}

}  // namespace varnel
