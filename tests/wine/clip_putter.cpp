// Puts the test picture on the clipboard from a process of its own. The
// end-to-end tests start the build of the other bitness than theirs, so
// that Varnel gets a picture made by such a program.
// Arguments: width height [bitmap-only]. Exit code 0 once the picture is
// there (the clipboard keeps it after this process ends).
#include <cstdlib>
#include <cstring>

#include "tests/support/win32/driver.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const bool packedToo = !(argc > 3 && std::strcmp(argv[3], "bitmap-only") == 0);
  return e2e::PutPictureOnClipboard(std::atoi(argv[1]), std::atoi(argv[2]), e2e::Pattern, packedToo) ? 0 : 1;
}
