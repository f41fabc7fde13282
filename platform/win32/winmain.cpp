// The executable's entry point.
#include "platform/toolkit.h"
#include "platform/win32/win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return plat::ProgramEntry(); }
