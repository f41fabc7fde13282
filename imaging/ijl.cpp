// The JPEG library of ijl.h: the record's checks, and the file or the
// memory it goes to; the encoding is jpeg_encoder.h's.
#include "imaging/ijl.h"

#include <climits>
#include <memory>
#include <new>

#include "imaging/jpeg_encoder.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/file_write.h"
#include "platform/jpeg_hooks.h"

namespace varnel {

// Marks a record as initialised; the encoder's state is the run's.
struct IjlEncoder {};

namespace {

IJLERR PixelFormat(const JPEG_CORE_PROPERTIES& p, bool* rgb) {
  if (p.DIBChannels != 3) return IJL_UNSUPPORTED_BYTES_PER_PIXEL;
  switch (p.DIBColor) {
    case IJL_BGR: *rgb = false; return IJL_OK;
    case IJL_RGB: *rgb = true; return IJL_OK;
    default: return IJL_INVALID_JPEG_PROPERTIES;
  }
}

// Luminance samples per chroma sample, across and down.
IJLERR Subsampling(const JPEG_CORE_PROPERTIES& p, std::int32_t* h, std::int32_t* v) {
  if (p.JPGChannels != 3 || p.JPGColor != IJL_YCBCR) return IJL_INVALID_JPEG_PROPERTIES;
  switch (p.JPGSubsampling) {
    case IJL_NONE: *h = 1, *v = 1; return IJL_OK;
    case IJL_411: *h = 2, *v = 2; return IJL_OK;
    case IJL_422: *h = 2, *v = 1; return IJL_OK;
    default: return IJL_UNSUPPORTED_SUBSAMPLING;
  }
}

// Checks the record's description of the pixels and of the output and
// works out the row pitch; nothing is read from the pixels here.
IJLERR Describe(const JPEG_CORE_PROPERTIES& p, int* pitch, int* height) {
  if (p.DIBBytes == nullptr || p.DIBWidth <= 0 || p.DIBHeight == 0 || p.DIBHeight == INT_MIN || p.DIBPadBytes < 0)
    return IJL_INVALID_JPEG_PROPERTIES;
  const int rows = p.DIBHeight < 0 ? -p.DIBHeight : p.DIBHeight;
  if (p.JPGWidth != p.DIBWidth || p.JPGHeight != rows) return IJL_INVALID_JPEG_PROPERTIES;
  if (p.jquality < 1 || p.jquality > 100) return IJL_INVALID_JPEG_PROPERTIES;
  const long long rowBytes = static_cast<long long>(p.DIBWidth) * p.DIBChannels + p.DIBPadBytes;
  if (rowBytes > INT_MAX) return IJL_INVALID_JPEG_PROPERTIES;
  *pitch = static_cast<int>(rowBytes);
  *height = rows;
  return IJL_OK;
}

}  // namespace

IJLERR ijlInit(JPEG_CORE_PROPERTIES* jcprops) {
  if (jcprops == nullptr) return IJL_INVALID_JPEG_PROPERTIES;
  if (IJLERR r = plat::jpeg_hooks::OnInit(); r != IJL_OK) return r;
  auto encoder = std::unique_ptr<IjlEncoder>(new (std::nothrow) IjlEncoder);
  if (!encoder) return IJL_MEMORY_ERROR;
  *jcprops = JPEG_CORE_PROPERTIES{};
  jcprops->DIBChannels = 3;
  jcprops->DIBColor = IJL_BGR;
  jcprops->JPGChannels = 3;
  jcprops->JPGColor = IJL_YCBCR;
  jcprops->JPGSubsampling = IJL_NONE;
  jcprops->jquality = 75;
  jcprops->encoder = encoder.release();
  return IJL_OK;
}

IJLERR ijlWrite(JPEG_CORE_PROPERTIES* jcprops, IJLIOTYPE iotype) {
  if (jcprops == nullptr) return IJL_INVALID_JPEG_PROPERTIES;
  if (jcprops->encoder == nullptr) return IJL_INVALID_ENCODER;
  JPEG_CORE_PROPERTIES& p = *jcprops;
  const plat::jpeg_hooks::WriteCall call{iotype,        p.JPGFile,  p.DIBWidth,  p.DIBHeight,
                                         p.DIBPadBytes, p.JPGWidth, p.JPGHeight, p.jquality};
  if (IJLERR r = plat::jpeg_hooks::OnWrite(call); r != IJL_OK) return r;
  const bool toFile = iotype == IJL_JFILE_WRITEWHOLEIMAGE;
  if (!toFile && iotype != IJL_JBUFF_WRITEWHOLEIMAGE) return IJL_UNSUPPORTED_MODE;
  if (toFile && (p.JPGFile == nullptr || p.JPGFile[0] == u'\0')) return IJL_INVALID_FILENAME;
  if (!toFile && p.JPGBytes != nullptr) return IJL_INVALID_JPEG_PROPERTIES;

  jpeg::JpegInput input{};
  int pitch = 0, height = 0;
  if (IJLERR r = PixelFormat(p, &input.rgb); r != IJL_OK) return r;
  if (IJLERR r = Subsampling(p, &input.lumaH, &input.lumaV); r != IJL_OK) return r;
  if (IJLERR r = Describe(p, &pitch, &height); r != IJL_OK) return r;
  input.bits = p.DIBBytes;
  input.width = p.DIBWidth;
  input.height = height;
  input.pitch = pitch;
  input.bottomUp = p.DIBHeight < 0;
  input.quality = p.jquality;

  const std::uint8_t* jpeg = nullptr;
  std::size_t size = 0;
  switch (jpeg::EncodeJpeg(input, &jpeg, &size)) {
    case jpeg::EncodeResult::Ok: break;
    case jpeg::EncodeResult::OutOfMemory: return IJL_MEMORY_ERROR;
    case jpeg::EncodeResult::Failed: return IJL_EXCEPTION_DETECTED;
  }
  if (!toFile) {
    p.JPGBytes = jpeg;
    p.JPGSizeBytes = size;
    return IJL_OK;
  }
  // As the library always has, a file that cannot be written leaves the
  // system's reason in GetLastError() for the caller.
  try {
    plat::WriteWholeFile(p.JPGFile, {{jpeg, size}});
  } catch (const plat::Error& e) {
    plat::SetLastError(e.lastDllError());
    return e.lastDllError() == plat::kErrorInvalidName ? IJL_INVALID_FILENAME : IJL_FILE_ERROR;
  }
  return IJL_OK;
}

IJLERR ijlFree(JPEG_CORE_PROPERTIES* jcprops) {
  if (jcprops == nullptr) return IJL_INVALID_JPEG_PROPERTIES;
  plat::jpeg_hooks::OnFree();
  if (IjlEncoder* e = jcprops->encoder) {
    delete e;
    jcprops->encoder = nullptr;
  }
  return IJL_OK;
}

}  // namespace varnel
