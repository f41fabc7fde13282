#include "app/file_formats.h"

#include <array>

#include "imaging/bmp_encoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/jpeg_writer.h"
#include "imaging/png_encoder.h"

namespace varnel {

namespace {

constexpr std::int32_t kJpegQuality = 90;

EncodedFile Jpeg(const ImageView& image) { return mIntelJPEGLibrary::EncodeJpeg(image, kJpegQuality); }

constexpr std::array<FileFormat, 3> kFormats{{
    {u"JPG", u".jpg", u"JPGOption", u"JPEG", 705, &Jpeg, &jpeg::ReleaseMemory},
    {u"BMP", u".bmp", u"BMPOption", u"Bitmap", 825, &EncodeBmp, nullptr},
    {u"PNG", u".png", u"PNGOption", u"P&NG", 645, &EncodePngFile, nullptr},
}};

}  // namespace

std::span<const FileFormat> FileFormats() { return kFormats; }

const FileFormat& FormatOf(const FormatCode& code) {
  for (const FileFormat& f : kFormats)
    if (code == f.code) return f;
  return kFormats.front();
}

void ReleaseEncoderMemory() {
  for (const FileFormat& f : kFormats)
    if (f.releaseMemory) f.releaseMemory();
}

}  // namespace varnel
