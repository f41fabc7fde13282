// The JPEG library the program writes its JPEG files with: the small
// interface of the Intel JPEG Library (ijlInit, ijlWrite, ijlFree on a
// JPEG_CORE_PROPERTIES record), implemented on libjpeg-turbo's libjpeg
// API (jpeg_encoder.h). Only the encoder is provided, and of it only what
// the program uses: a 3-channel DIB in memory written as a whole colour
// JPEG, to a file or into memory. The platform adds its call log and
// injected faults around each call (platform/jpeg_hooks.h).
//
// Decisions of this implementation: the accurate integer DCT; no chroma
// subsampling by default (4:4:4), since smeared coloured text is what spoils
// screenshot JPEGs most; the image is encoded into memory first, into
// buffers kept for the run, and written only then, so a failed write never
// leaves a partial file under the name; a picture of 1 Mpx or more is
// encoded in stripes on every processor and joined into one baseline JPEG
// with restart markers (see jpeg_encoder.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel {

// Result codes. 0 is success; every failure is negative.
using IJLERR = std::int32_t;
inline constexpr IJLERR IJL_OK = 0;
inline constexpr IJLERR IJL_EXCEPTION_DETECTED = -1;  // the encoder itself failed
inline constexpr IJLERR IJL_INVALID_ENCODER = -2;     // record not initialised
inline constexpr IJLERR IJL_UNSUPPORTED_SUBSAMPLING = -3;
inline constexpr IJLERR IJL_UNSUPPORTED_BYTES_PER_PIXEL = -4;
inline constexpr IJLERR IJL_MEMORY_ERROR = -5;             // memory ran out
inline constexpr IJLERR IJL_INVALID_JPEG_PROPERTIES = -8;  // sizes, pointers, quality
inline constexpr IJLERR IJL_INVALID_FILENAME = -10;
inline constexpr IJLERR IJL_FILE_ERROR = -23;        // the file could not be written:
                                                     // GetLastError() tells why
inline constexpr IJLERR IJL_UNSUPPORTED_MODE = -29;  // an I/O mode other than below

// I/O modes of ijlWrite.
enum IJLIOTYPE : std::int32_t {
  IJL_JFILE_WRITEWHOLEIMAGE = 8,  // the whole image to the file named by JPGFile
  // The whole image into memory. The library lends its own buffer, kept for
  // the run (JPGBytes must be null): JPGBytes and JPGSizeBytes then give
  // the JPEG, valid until the next ijlWrite.
  IJL_JBUFF_WRITEWHOLEIMAGE = 9,
};

enum IJL_COLOR : std::int32_t {
  IJL_RGB = 1,
  IJL_BGR = 2,
  IJL_YCBCR = 3,
  IJL_G = 4,
  IJL_OTHER = 255,
};

// Chroma subsampling of the JPEG; IJL_NONE keeps full chroma (4:4:4).
enum IJL_JPGSUBSAMPLING : std::int32_t {
  IJL_NONE = 0,
  IJL_411 = 1,  // 2x2 (4:2:0)
  IJL_422 = 2,  // 2x1 horizontally
};

struct IjlEncoder;  // the library's state for one record

// The record: zero-filled by the caller, then ijlInit, then filled, then
// ijlWrite, then ijlFree. Fields other than those a caller sets keep the
// defaults ijlInit gives them.
struct JPEG_CORE_PROPERTIES {
  // The pixels: DIBHeight rows of DIBWidth pixels of DIBChannels bytes in
  // DIBColor order, each row followed by DIBPadBytes bytes of padding. A
  // negative DIBHeight marks a bottom-up buffer (first row in memory is the
  // bottom row of the image).
  const std::uint8_t* DIBBytes;
  std::int32_t DIBWidth;
  std::int32_t DIBHeight;
  std::int32_t DIBPadBytes;
  std::int32_t DIBChannels;  // default 3
  IJL_COLOR DIBColor;        // default IJL_BGR

  // The JPEG: the file, a zero-terminated UTF-16 name (any length: a long
  // one is written through the long-path form), or the memory it went to
  // (IJL_JBUFF_WRITEWHOLEIMAGE); the image's size (equal to the DIB's: the
  // library does not scale), colour and quality 1..100.
  const char16_t* JPGFile;
  const std::uint8_t* JPGBytes;
  std::size_t JPGSizeBytes;
  std::int32_t JPGWidth;
  std::int32_t JPGHeight;
  std::int32_t JPGChannels;           // default 3
  IJL_COLOR JPGColor;                 // default IJL_YCBCR
  IJL_JPGSUBSAMPLING JPGSubsampling;  // default IJL_NONE
  std::int32_t jquality;              // default 75

  IjlEncoder* encoder;  // owned by the library between ijlInit and ijlFree
};

IJLERR ijlInit(JPEG_CORE_PROPERTIES* jcprops);
IJLERR ijlWrite(JPEG_CORE_PROPERTIES* jcprops, IJLIOTYPE iotype);
IJLERR ijlFree(JPEG_CORE_PROPERTIES* jcprops);

}  // namespace varnel
