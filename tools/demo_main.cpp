// The main job, end to end under Wine: Varnel.exe starts in a fresh folder
// (a first run, so its window shows), the screen goes to the clipboard as
// Windows puts it there on Print Screen, Print Screen is pressed and
// released, and the capture lands in the capture folder. Then Varnel is
// ended as the tray icon's right double-click does, and what it left is
// printed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/contract/jpeg_decode.h"
#include "tests/support/win32/driver.h"

int main() {
  const std::wstring dir = e2e::MakeInstallFolder(L"demo");
  const std::wstring desktop = e2e::Environment(L"USERPROFILE") + L"\\Desktop";
  CreateDirectoryW(desktop.c_str(), nullptr);
  const auto before = e2e::FilesIn(desktop, L"*.jpg");
  std::printf("Varnel.exe installed in %ls\n", dir.c_str());

  e2e::VarnelProcess p(dir);
  HWND w = p.Window();
  if (!w) {
    std::printf("FAILED: no window appeared\n");
    return 1;
  }
  Sleep(1000);  // let the window paint, so the screen shows it
  std::printf("window \"Varnel\" loaded and %s (first run)\n", IsWindowVisible(w) ? "shown" : "hidden");

  const SIZE screen = e2e::PutScreenOnClipboard();
  std::printf("screen (%ldx%ld) copied to the clipboard; pressing Print Screen\n", screen.cx, screen.cy);
  e2e::PressPrintScreen();
  std::wstring capture;
  for (int i = 0; i < 500 && capture.empty(); ++i) {
    for (const auto& f : e2e::FilesIn(desktop, L"*.jpg"))
      if (std::find(before.begin(), before.end(), f) == before.end()) capture = desktop + L"\\" + f;
    Sleep(20);
  }
  if (capture.empty()) {
    std::printf("FAILED: no capture appeared in %ls\n", desktop.c_str());
    return 1;
  }
  auto bytes = e2e::ReadWhenWritten(capture);
  auto jpeg = bytes ? varnel::testing::DecodeJpeg(*bytes) : std::nullopt;
  if (!jpeg) {
    std::printf("FAILED: %ls is no JPEG\n", capture.c_str());
    return 1;
  }
  std::printf("capture: %ls\n         JPEG, %dx%d pixels, %zu bytes\n", capture.c_str(), jpeg->width, jpeg->height,
              bytes->size());

  e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
  if (!p.WaitForExit()) {
    std::printf("FAILED: Varnel.exe did not end\n");
    return 1;
  }
  std::printf("ended cleanly, exit code %lu\n", p.ExitCode());
  auto ini = e2e::ReadFile(dir + L"\\Varnel.ini");
  std::printf("--- %ls\\Varnel.ini ---\n%s", dir.c_str(), ini ? ini->c_str() : "(missing)\n");
  // Where the capture can be looked at from Linux.
  if (const char* out = getenv("VARNEL_DEMO_COPY"))
    CopyFileW(capture.c_str(), std::wstring(out, out + strlen(out)).c_str(), FALSE);
  return ini && p.ExitCode() == 0 && jpeg->width == screen.cx && jpeg->height == screen.cy ? 0 : 1;
}
