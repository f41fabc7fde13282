// The formats a capture can be saved in, one row each: the code the
// settings file keeps, the files' extension, the window's option button,
// and the encoder. The capture and the window read only this table: a new
// format is a row here and its encoder.
#pragma once

#include <span>

#include "app/format_code.h"
#include "imaging/encoded_file.h"
#include "imaging/image_view.h"

namespace varnel {

struct FileFormat {
  // Kept in the settings file; in this form, after the stamp and a ".",
  // also the name a new file is opened under (on Windows' case-blind file
  // system, the file itself).
  const char16_t* code;
  const char16_t* extension;  // of the files written, ".jpg"
  // The window's option button: its name, caption (with its access key)
  // and width in twips, in the row of options after "Capture format:".
  const char16_t* control;
  const char16_t* caption;
  int optionWidth;
  EncodedFile (*encode)(const ImageView& image);
  // Gives back what the encoder keeps between pictures (null: nothing);
  // the file it encoded last must be written by then.
  void (*releaseMemory)();
};

// JPEG first: the format of a new settings file, and of any code that names
// no other.
std::span<const FileFormat> FileFormats();

// The format a code stands for: the row whose code it is, exactly (case
// and all three characters), else JPEG.
const FileFormat& FormatOf(const FormatCode& code);

// Every encoder's releaseMemory.
void ReleaseEncoderMemory();

}  // namespace varnel
