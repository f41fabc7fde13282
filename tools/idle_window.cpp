// The yardstick of Varnel's idle cost (scripts/measure-idle.sh): the least
// a program that sits in the background can do, one hidden window and a
// message loop that waits for messages.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"VarnelIdleYardstick";
  RegisterClassW(&wc);
  CreateWindowExW(0, wc.lpszClassName, L"idle", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance,
                  nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
