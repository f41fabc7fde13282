#include "imaging/bmp_encoder.h"

#include "platform/dib_layout.h"
#include "platform/error.h"

namespace varnel {

EncodedFile EncodeBmp(const ImageView& image) {
  if (image.stride != plat::ScanLineBytes(image.width)) plat::Raise(plat::kErrInvalidArgument);
  const auto header = plat::BitmapFileHeader(image.width, image.height);
  EncodedFile file;
  file.owned.assign(header.begin(), header.end());
  file.pieces.push_back({file.owned.data(), file.owned.size()});
  file.pieces.push_back({image.bits, static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height)});
  return file;
}

}  // namespace varnel
