// A picture object (a bitmap or an icon known by its handle), the
// clipboard's picture, and the picture writer. Both backends share them:
// they are built on the platform's graphics and clipboard calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/types.h"

namespace plat {

class Picture {
 public:
  enum class Type { None, Bitmap, Icon };
  // An owned picture's handle is destroyed with it.
  Picture(Handle handle, Type type, bool owned) : handle_(handle), type_(type), owned_(owned) {}
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  Handle handle() const { return handle_; }
  Type type() const { return type_; }
  // For the toolkit's own copies, which are 24-bit bottom-up DIB sections:
  // their pixels, laid out as a bitmap file holds them. Null otherwise.
  std::uint8_t* dibBits() const { return dibBits_; }
  void set_dibBits(std::uint8_t* bits) { dibBits_ = bits; }

 private:
  Handle handle_;
  Type type_;
  bool owned_;
  std::uint8_t* dibBits_ = nullptr;
};

// Implemented by each backend: destroys a bitmap's or an icon's handle.
void DestroyPictureHandle(Handle handle, Picture::Type type);

// The clipboard's picture: a copy of its bitmap, taken with the clipboard
// open only for the copy. Raises kErrClipboardBusy (with the system's error
// code) when another program keeps the clipboard open, and kErrNoPicture
// when it holds no bitmap (a metafile alone counts as none).
std::shared_ptr<Picture> ClipboardPicture();
// The picture writer: a bitmap picture becomes a Windows bitmap file of 24
// bits a pixel, bottom-up, without colour table. Raises kErrInvalidArgument
// for a picture that is no bitmap and kErrFileAccess, with the system's
// error code, when the file cannot be written (no partial file is left then).
void SavePicture(const Picture& picture, const std::u16string& path);

}  // namespace plat
