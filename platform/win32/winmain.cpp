// The executable's entry point.
#include "platform/toolkit.h"
#include "platform/win32/win.h"
#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The shell's folder dialog needs a single-threaded COM apartment.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const int code = plat::ProgramEntry();
  if (SUCCEEDED(com)) ::CoUninitialize();
  return code;
}
