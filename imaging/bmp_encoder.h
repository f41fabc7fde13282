// The bitmap file encoder: a 24-bit picture (image_view.h) as a Windows
// bitmap file, its header and then the picture's own rows, which have the
// file's layout (bottom-up), written from where they stand.
#pragma once

#include "imaging/encoded_file.h"
#include "imaging/image_view.h"

namespace varnel {

// The file's pieces: the header (owned) and the rows, lent from the
// picture: all in one piece where the view's stride is the file's
// (plat::ScanLineBytes), else row by row, each with the file's padding (a
// part of a wider picture). Raises kErrInvalidArgument for a stride
// shorter than a row, kErrOverflow for a picture whose file would be 2 GiB
// or more.
EncodedFile EncodeBmp(const ImageView& image);

}  // namespace varnel
