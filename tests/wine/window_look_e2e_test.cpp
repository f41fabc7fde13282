// The real window's geometry and colours, read off the screen under Xvfb at
// 96 dots per inch (15 twips a pixel).
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/win32/driver.h"

namespace {

struct Place {
  const wchar_t* cls;
  const wchar_t* caption;        // nullptr: the only control of its class
  int left, top, width, height;  // twips
};

// The window's design, written out independently of the program's own table.
constexpr Place kPlaces[] = {
    {L"Static", L"Press Print Screen to capture the whole screen.", 120, 180, 4035, 195},
    {L"Static", L"Press Alt and Print Screen to capture the current window.", 90, 420, 4095, 195},
    {L"Button", L"Launch Varnel on Windows &start-up", 420, 840, 3465, 195},
    {L"Static", L"Capture &folder:", 120, 1260, 4035, 195},
    {L"Edit", nullptr, 120, 1500, 4035, 285},
    {L"Button", L"&Browse", 120, 1860, 1965, 315},
    {L"Button", L"O&pen folder", 2190, 1860, 1965, 315},
    {L"Static", L"Capture fo&rmat:", 420, 2400, 1125, 195},
    {L"Button", L"JPEG", 1620, 2400, 705, 195},
    {L"Button", L"Bitmap", 2400, 2400, 825, 195},
    {L"Button", L"P&NG", 3300, 2400, 645, 195},
    {L"Button", L"A&utomatically open screenshot after saving", 480, 2820, 3375, 195},
    {L"Button", L"Sho&w a notice after each capture", 480, 3180, 3375, 195},
    {L"Button", L"Only the screen under the &mouse pointer", 480, 3540, 3375, 195},
    {L"Button", L"&OK", 120, 3960, 1275, 315},
    {L"Button", L"&Cancel", 1500, 3960, 1275, 315},
    {L"Button", L"&Apply", 2880, 3960, 1275, 315},
    {L"Static", L"(Double-right-click on tray icon to exit)", 120, 4500, 4035, 195},
};

bool Near(int pixels, int twips) { return std::abs(pixels - twips / 15) <= 1; }

// Counts the pixels of `colour` inside a client rectangle of the window.
int CountColour(HDC screen, POINT origin, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(screen, origin.x + x, origin.y + y) == colour) ++n;
  return n;
}

TEST(WindowLookE2E, GeometryAndColoursMatchTheDesign) {
  HDC probe = GetDC(nullptr);
  const int dpi = GetDeviceCaps(probe, LOGPIXELSX);
  ReleaseDC(nullptr, probe);
  ASSERT_EQ(dpi, 96) << "the display must run at 96 dots per inch";

  e2e::VarnelProcess p(e2e::MakeInstallFolder(L"look"));  // first run: the window is shown
  HWND w = p.Window();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 50 && !IsWindowVisible(w); ++i) Sleep(100);
  SetForegroundWindow(w);
  Sleep(800);  // let it paint

  RECT client;
  GetClientRect(w, &client);
  EXPECT_TRUE(Near(client.right, 4275)) << client.right;
  EXPECT_TRUE(Near(client.bottom, 4875)) << client.bottom;
  POINT origin{0, 0};
  ClientToScreen(w, &origin);

  HDC screen = GetDC(nullptr);
  const COLORREF black = RGB(0, 0, 0), blue = RGB(0, 153, 255);
  // The window's own background, away from every control.
  EXPECT_EQ(GetPixel(screen, origin.x + 2, origin.y + 2), black);
  EXPECT_EQ(GetPixel(screen, origin.x + client.right - 3, origin.y + client.bottom - 3), black);

  for (const Place& place : kPlaces) {
    SCOPED_TRACE(testing::Message() << (place.caption ? "control with caption" : "text box"));
    HWND c = FindWindowExW(w, nullptr, place.cls, place.caption);
    ASSERT_NE(c, nullptr);
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(Near(r.left, place.left)) << r.left;
    EXPECT_TRUE(Near(r.top, place.top)) << r.top;
    EXPECT_TRUE(Near(r.right - r.left, place.width)) << r.right - r.left;
    EXPECT_TRUE(Near(r.bottom - r.top, place.height)) << r.bottom - r.top;
    const bool coloured =
        std::wstring(place.cls) == L"Static" || (std::wstring(place.cls) == L"Button" && place.height == 195);
    if (coloured) {
      // Light-blue text on black: both colours inside, nothing else much.
      EXPECT_GT(CountColour(screen, origin, r, blue), 20);
      EXPECT_GT(CountColour(screen, origin, r, black), (r.right - r.left) * (r.bottom - r.top) / 3);
    }
  }
  ReleaseDC(nullptr, screen);
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

}  // namespace
