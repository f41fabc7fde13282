// The JPEG library's encoder on TurboJPEG, shared by both backends.
#include "platform/jpeg.h"

#include <turbojpeg.h>

#include <climits>
#include <memory>
#include <new>

#include "platform/file_write.h"
#include "platform/api.h"
#include "platform/jpeg_backend.h"

namespace plat {

struct IjlEncoder {
  tjhandle tj = nullptr;
};

namespace {

struct TjBufferFree {
  void operator()(unsigned char* p) const { tjFree(p); }
};
using TjBuffer = std::unique_ptr<unsigned char, TjBufferFree>;

IJLERR PixelFormat(const JPEG_CORE_PROPERTIES& p, int* format) {
  if (p.DIBChannels != 3) return IJL_UNSUPPORTED_BYTES_PER_PIXEL;
  switch (p.DIBColor) {
    case IJL_BGR: *format = TJPF_BGR; return IJL_OK;
    case IJL_RGB: *format = TJPF_RGB; return IJL_OK;
    default: return IJL_INVALID_JPEG_PROPERTIES;
  }
}

IJLERR Subsampling(const JPEG_CORE_PROPERTIES& p, int* samp) {
  if (p.JPGChannels != 3 || p.JPGColor != IJL_YCBCR) return IJL_INVALID_JPEG_PROPERTIES;
  switch (p.JPGSubsampling) {
    case IJL_NONE: *samp = TJSAMP_444; return IJL_OK;
    case IJL_411: *samp = TJSAMP_420; return IJL_OK;
    case IJL_422: *samp = TJSAMP_422; return IJL_OK;
    default: return IJL_UNSUPPORTED_SUBSAMPLING;
  }
}

// Checks the record's description of the pixels and of the output and
// works out the row pitch; nothing is read from the pixels here.
IJLERR Describe(const JPEG_CORE_PROPERTIES& p, int* pitch, int* height) {
  if (p.DIBBytes == nullptr || p.DIBWidth <= 0 || p.DIBHeight == 0 || p.DIBHeight == INT_MIN ||
      p.DIBPadBytes < 0)
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
  if (IJLERR r = jpeg_backend::OnInit(); r != IJL_OK) return r;
  auto encoder = std::unique_ptr<IjlEncoder>(new (std::nothrow) IjlEncoder);
  if (!encoder) return IJL_MEMORY_ERROR;
  encoder->tj = tjInitCompress();
  if (encoder->tj == nullptr) return IJL_MEMORY_ERROR;
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
  if (IJLERR r = jpeg_backend::OnWrite(*jcprops, iotype); r != IJL_OK) return r;
  if (iotype != IJL_JFILE_WRITEWHOLEIMAGE) return IJL_UNSUPPORTED_MODE;
  const JPEG_CORE_PROPERTIES& p = *jcprops;
  if (p.JPGFile == nullptr || p.JPGFile[0] == u'\0') return IJL_INVALID_FILENAME;

  int format = 0, samp = 0, pitch = 0, height = 0;
  if (IJLERR r = PixelFormat(p, &format); r != IJL_OK) return r;
  if (IJLERR r = Subsampling(p, &samp); r != IJL_OK) return r;
  if (IJLERR r = Describe(p, &pitch, &height); r != IJL_OK) return r;

  const int flags = TJFLAG_ACCURATEDCT | (p.DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const int rc = tjCompress2(p.encoder->tj, p.DIBBytes, p.DIBWidth, pitch, height, format, &out,
                             &outSize, samp, p.jquality, flags);
  TjBuffer jpeg(out);
  if (rc != 0 || !jpeg) return IJL_EXCEPTION_DETECTED;
  const std::uint32_t error = detail::WriteWholeFile(p.JPGFile, {{jpeg.get(), outSize}});
  jpeg.reset();
  // A failed write leaves its cause in GetLastError() for the caller.
  SetLastError(error);
  if (error == 0) return IJL_OK;
  return error == kErrorInvalidName ? IJL_INVALID_FILENAME : IJL_FILE_ERROR;
}

IJLERR ijlFree(JPEG_CORE_PROPERTIES* jcprops) {
  if (jcprops == nullptr) return IJL_INVALID_JPEG_PROPERTIES;
  jpeg_backend::OnFree();
  if (IjlEncoder* e = jcprops->encoder) {
    tjDestroy(e->tj);
    delete e;
    jcprops->encoder = nullptr;
  }
  return IJL_OK;
}

}  // namespace plat
