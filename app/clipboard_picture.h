// The picture on the clipboard, copied into the capture's buffer.
#pragma once

#include <cstdint>

#include "imaging/dib_section.h"

namespace varnel {

// Copies the clipboard's picture into the buffer, with the clipboard open
// for that copy only. The bitmap comes first, with one GetDIBits; where it
// cannot be read, the packed picture Windows offers of the same picture
// (kCfDib) is taken instead: the buffer's bytes are the same either way.
// Raises plat::kErrClipboardBusy when another program holds the clipboard,
// kErrNoPicture when it holds no picture, kErrOutOfMemory when the buffer
// cannot be had at the picture's size, and kErrInvalidPicture, with the
// system's error code where it gave one, when neither form can be read.
// Returns the clipboard's sequence number as it was once the picture was
// read, with the clipboard still open: a picture rendered on request
// (delayed rendering) changes the number only when it is rendered.
std::uint32_t CopyClipboardPicture(cDIBSection& buffer);

}  // namespace varnel
