// The bitmap file encoder: a 24-bit picture (image_view.h) as a Windows
// bitmap file, its header and then the picture's own rows, which already
// have the file's layout (bottom-up, padded to 4 bytes).
#pragma once

#include "imaging/encoded_file.h"
#include "imaging/image_view.h"

namespace varnel {

// The file's pieces: the header (owned) and the rows, lent from the
// picture. The view's stride must be the layout's (plat::ScanLineBytes);
// raises kErrOverflow for a picture whose file would be 2 GiB or more.
EncodedFile EncodeBmp(const ImageView& image);

}  // namespace varnel
