// The main job, shown end to end: start Varnel.exe in a fresh folder under
// Wine, report its window, end it as the tray icon's right double-click
// does, and print what it left behind.
#include <cstdio>

#include "tests/wine/driver.h"

int main() {
  const std::wstring dir = e2e::MakeInstallFolder(L"demo");
  std::printf("Varnel.exe installed in %ls\n", dir.c_str());
  e2e::VarnelProcess p(dir);
  HWND w = p.Window();
  if (!w) {
    std::printf("FAILED: no window appeared\n");
    return 1;
  }
  std::printf("window \"Varnel\" loaded, %s (first run)\n", IsWindowVisible(w) ? "shown" : "hidden");
  e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
  if (!p.WaitForExit()) {
    std::printf("FAILED: Varnel.exe did not end\n");
    return 1;
  }
  std::printf("ended cleanly, exit code %lu\n", p.ExitCode());
  auto ini = e2e::ReadFile(dir + L"\\Varnel.ini");
  std::printf("--- %ls\\Varnel.ini ---\n%s", dir.c_str(), ini ? ini->c_str() : "(missing)\n");
  auto entry = e2e::MachineRunEntry();
  std::printf("--- start-up entry ---\n%s\n", entry ? entry->c_str() : "(none)");
  return ini && p.ExitCode() == 0 ? 0 : 1;
}
