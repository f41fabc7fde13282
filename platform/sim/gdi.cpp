// Simulated graphics interface: device contexts and bitmaps in handle
// tables, real pixel memory, bit-block transfers with clipping and the
// raster operations that combine source and destination, and the screen
// behind the desktop's device context.
//
// Formats: DIB sections of 24 or 32 bits a pixel in either row order, with
// scan lines padded to 4 bytes and zero-filled memory (and packed pictures
// drawn with SetDIBitsToDevice in the same formats, or 32 bits with colour
// masks); device-dependent
// bitmaps of 32 bits a pixel (the screen's format) or 1 bit a pixel (the
// stock bitmap of a new memory device context and what is made compatible
// with it). Brushes and patterns are not modelled: a raster operation
// that uses the pattern is refused.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

constexpr Handle kStockBitmap = 0x0188000F;  // the 1 x 1 monochrome default
// The largest pixel memory one bitmap may take; beyond it creation fails
// as it does on a machine without that much memory.
constexpr std::int64_t kMaxBitmapBytes = std::int64_t{1} << 30;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// The colour of a pixel stored blue, green, red (0x00RRGGBB).
std::uint32_t Bgr(const std::uint8_t* p) {
  return p[0] | static_cast<std::uint32_t>(p[1] << 8) | static_cast<std::uint32_t>(p[2] << 16);
}

struct Surface {
  std::int32_t width = 0, height = 0;
  int bpp = 32;
  std::int64_t stride = 0;  // bytes from one scan line in memory to the next
  bool bottomUp = false;
  std::vector<std::uint8_t> bits;

  std::uint8_t* Row(std::int32_t y) {
    const std::int64_t line = bottomUp ? height - 1 - y : y;
    return bits.data() + line * stride;
  }
  std::uint32_t Get(std::int32_t x, std::int32_t y) {
    const std::uint8_t* r = Row(y);
    switch (bpp) {
      case 1: return (r[x >> 3] >> (7 - (x & 7))) & 1 ? kWhite : 0;
      case 24: r += 3 * x; return Bgr(r);
      default: r += 4 * x; return Bgr(r);
    }
  }
  void Set(std::int32_t x, std::int32_t y, std::uint32_t c) {
    std::uint8_t* r = Row(y);
    switch (bpp) {
      case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        // A colour becomes white only when it is the background colour.
        if ((c & kWhite) == kWhite)
          r[x >> 3] |= bit;
        else
          r[x >> 3] &= static_cast<std::uint8_t>(~bit);
        break;
      }
      case 24:
        r += 3 * x;
        r[0] = static_cast<std::uint8_t>(c);
        r[1] = static_cast<std::uint8_t>(c >> 8);
        r[2] = static_cast<std::uint8_t>(c >> 16);
        break;
      default:
        r += 4 * x;
        r[0] = static_cast<std::uint8_t>(c);
        r[1] = static_cast<std::uint8_t>(c >> 8);
        r[2] = static_cast<std::uint8_t>(c >> 16);
        r[3] = 0;
        break;
    }
  }
};

struct BitmapObj {
  Surface surface;
  bool dibSection = false;
  Handle selectedIn = 0;       // the memory device context it is selected into
  bool deletePending = false;  // deleted while selected: goes when deselected
  bool clipboard = false;      // belongs to the clipboard
};

struct DcObj {
  bool window = false;  // from GetDC: draws on the screen
  Handle bitmap = kStockBitmap;
};

struct Gdi {
  Handle next = 0x04010000;
  std::map<Handle, std::unique_ptr<BitmapObj>> bitmaps;
  std::map<Handle, DcObj> dcs;
  std::unique_ptr<BitmapObj> stock;
  Surface screen;
};

Surface MakeSurface(std::int32_t w, std::int32_t h, int bpp, std::int64_t stride, bool bottomUp) {
  Surface s;
  s.width = w;
  s.height = h;
  s.bpp = bpp;
  s.stride = stride;
  s.bottomUp = bottomUp;
  s.bits.assign(static_cast<std::size_t>(stride * h), 0);
  return s;
}

// Never destroyed, like the call log: buffers with static storage release
// their objects at exit.
Gdi& G() {
  static Gdi* g = [] {
    auto* fresh = new Gdi;
    fresh->stock = std::make_unique<BitmapObj>();
    fresh->stock->surface = MakeSurface(1, 1, 1, 2, false);
    fresh->screen = MakeSurface(1280, 1024, 32, 1280 * 4, false);
    return fresh;
  }();
  return *g;
}

std::string H(Handle h) { return std::to_string(h); }
std::string N(std::int64_t v) { return std::to_string(v); }

BitmapObj* FindBitmap(Handle h) {
  if (h == kStockBitmap) return G().stock.get();
  auto it = G().bitmaps.find(h);
  if (it == G().bitmaps.end() || it->second->deletePending) return nullptr;
  return it->second.get();
}

DcObj* FindDc(Handle h) {
  auto it = G().dcs.find(h);
  return it == G().dcs.end() ? nullptr : &it->second;
}

// The pixels a device context draws on.
Surface* SurfaceOf(const DcObj& dc) {
  if (dc.window) return &G().screen;
  if (dc.bitmap == kStockBitmap) return &G().stock->surface;
  auto it = G().bitmaps.find(dc.bitmap);
  return it == G().bitmaps.end() ? nullptr : &it->second->surface;
}

Handle NewHandle() {
  G().next += 4;
  return G().next;
}

Handle AddBitmap(Surface surface, bool dibSection) {
  auto obj = std::make_unique<BitmapObj>();
  obj->surface = std::move(surface);
  obj->dibSection = dibSection;
  Handle h = NewHandle();
  G().bitmaps[h] = std::move(obj);
  return h;
}

void Deselect(Handle bitmap) {
  if (bitmap == kStockBitmap) return;
  auto it = G().bitmaps.find(bitmap);
  if (it == G().bitmaps.end()) return;
  it->second->selectedIn = 0;
  if (it->second->deletePending) G().bitmaps.erase(it);
}

// The raster operation's truth table for source and destination, when the
// operation does not depend on the pattern; -1 when it does.
int SourceDestTable(std::uint32_t rop) {
  const unsigned t = (rop >> 16) & 0xFF;
  if ((t >> 4) != (t & 0xF)) return -1;
  return static_cast<int>(t & 0xF);
}

bool UsesSource(int table) { return (table & 0x3) != ((table >> 2) & 0x3); }

std::uint32_t Apply(int table, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  if (table & 1) r |= ~s & ~d;
  if (table & 2) r |= ~s & d;
  if (table & 4) r |= s & ~d;
  if (table & 8) r |= s & d;
  return r & kWhite;
}

// Clips [x, x + w) against [0, limit), moving `other` along with x.
void Clip(std::int64_t& x, std::int64_t& w, std::int64_t limit, std::int64_t* other) {
  if (x < 0) {
    w += x;
    if (other) *other -= x;
    x = 0;
  }
  if (x + w > limit) w = limit - x;
}

// The pixels of a packed picture, in the formats the sim models:
// uncompressed 24 or 32 bits a pixel, and 32 bits with the colour masks of
// 8-bit red, green and blue (where a header of 40 bytes has them after it,
// a longer one inside).
struct DibReader {
  const std::uint8_t* bits = nullptr;
  std::int32_t width = 0, height = 0;
  bool bottomUp = true;
  int bpp = 32;
  std::int64_t stride = 0;

  std::uint32_t Get(std::int32_t x, std::int32_t y) const {
    const std::int64_t line = bottomUp ? height - 1 - y : y;
    return Bgr(bits + line * stride + x * (bpp / 8));
  }
};

std::optional<DibReader> ReadDib(const plat::BitmapInfo* bmi, const void* bits) {
  if (!bmi || !bits) return std::nullopt;
  const plat::BitmapInfoHeader& h = bmi->bmiHeader;
  if (h.biSize < sizeof(plat::BitmapInfoHeader) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
    return std::nullopt;
  if (h.biCompression == plat::kBiBitfields) {
    std::uint32_t masks[3];
    std::memcpy(masks, reinterpret_cast<const std::uint8_t*>(bmi) + sizeof(plat::BitmapInfoHeader), sizeof masks);
    if (h.biBitCount != 32 || masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) return std::nullopt;
  } else if (h.biCompression != plat::kBiRgb || (h.biBitCount != 24 && h.biBitCount != 32)) {
    return std::nullopt;
  }
  DibReader r;
  r.bits = static_cast<const std::uint8_t*>(bits);
  r.width = h.biWidth;
  r.bottomUp = h.biHeight > 0;
  r.height = r.bottomUp ? h.biHeight : -h.biHeight;
  r.bpp = h.biBitCount;
  r.stride = (std::int64_t{h.biWidth} * h.biBitCount / 8 + 3) & ~std::int64_t{3};
  return r;
}

}  // namespace

namespace detail {

void ResetGdi() {
  auto& g = G();
  g.bitmaps.clear();
  g.dcs.clear();
  g.next = 0x04010000;
  g.stock->surface.bits.assign(g.stock->surface.bits.size(), 0);
  g.screen = MakeSurface(1280, 1024, 32, 1280 * 4, false);
}

bool IsBitmap(Handle h) { return FindBitmap(h) != nullptr; }

void GiveBitmapToClipboard(Handle h) {
  if (h == kStockBitmap) return;
  if (auto* b = FindBitmap(h)) b->clipboard = true;
}

void DestroyClipboardBitmap(Handle h) {
  auto it = G().bitmaps.find(h);
  if (it == G().bitmaps.end() || !it->second->clipboard) return;
  if (it->second->selectedIn)
    it->second->deletePending = true;
  else
    G().bitmaps.erase(it);
}

std::optional<std::vector<std::uint8_t>> PackedDibOf(Handle bitmap) {
  auto* b = FindBitmap(bitmap);
  if (!b || bitmap == kStockBitmap) return std::nullopt;
  const Surface& s = b->surface;
  plat::BitmapInfoHeader h{};
  h.biSize = sizeof h;
  h.biWidth = s.width;
  h.biHeight = s.height;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = plat::kBiBitfields;
  h.biSizeImage = static_cast<std::uint32_t>(std::int64_t{s.width} * 4 * s.height);
  const std::uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  std::vector<std::uint8_t> out(sizeof h + sizeof masks + h.biSizeImage);
  std::memcpy(out.data(), &h, sizeof h);
  std::memcpy(out.data() + sizeof h, masks, sizeof masks);
  std::uint8_t* bits = out.data() + sizeof h + sizeof masks;
  for (std::int32_t y = 0; y < s.height; ++y)
    for (std::int32_t x = 0; x < s.width; ++x) {
      const std::uint32_t c = b->surface.Get(x, y);
      std::uint8_t* p = bits + (std::int64_t{s.height} - 1 - y) * s.width * 4 + x * 4;
      p[0] = static_cast<std::uint8_t>(c);
      p[1] = static_cast<std::uint8_t>(c >> 8);
      p[2] = static_cast<std::uint8_t>(c >> 16);
      p[3] = 0;
    }
  return out;
}

Handle BitmapOfPackedDib(const std::vector<std::uint8_t>& packed) {
  if (packed.size() < sizeof(plat::BitmapInfoHeader)) return 0;
  plat::BitmapInfoHeader h{};
  std::memcpy(&h, packed.data(), sizeof h);
  std::size_t offset = h.biSize + (h.biSize == sizeof h && h.biCompression == plat::kBiBitfields ? 12 : 0);
  if (offset > packed.size()) return 0;
  const auto* info = reinterpret_cast<const plat::BitmapInfo*>(packed.data());
  const auto r = ReadDib(info, packed.data() + offset);
  if (!r || offset + static_cast<std::size_t>(r->stride * r->height) > packed.size()) return 0;
  Surface s = MakeSurface(r->width, r->height, 32, std::int64_t{r->width} * 4, false);
  for (std::int32_t y = 0; y < r->height; ++y)
    for (std::int32_t x = 0; x < r->width; ++x) s.Set(x, y, r->Get(x, y));
  const Handle bitmap = AddBitmap(std::move(s), false);
  G().bitmaps[bitmap]->clipboard = true;
  return bitmap;
}

}  // namespace detail

std::size_t LiveGdiObjects() {
  std::size_t n = G().dcs.size();
  for (const auto& [h, b] : G().bitmaps)
    if (!b->clipboard) ++n;
  return n;
}

void SetScreen(std::int32_t width, std::int32_t height,
               const std::function<std::uint32_t(std::int32_t, std::int32_t)>& rgb) {
  G().screen = MakeSurface(width, height, 32, std::int64_t{width} * 4, false);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) G().screen.Set(x, y, rgb(x, y));
}

std::uint32_t ScreenPixel(std::int32_t x, std::int32_t y) { return G().screen.Get(x, y); }

std::optional<std::uint32_t> BitmapPixel(Handle bitmap, std::int32_t x, std::int32_t y) {
  auto* b = FindBitmap(bitmap);
  if (!b || x < 0 || y < 0 || x >= b->surface.width || y >= b->surface.height) return std::nullopt;
  return b->surface.Get(x, y);
}

int BitmapBitsPixel(Handle bitmap) {
  auto* b = FindBitmap(bitmap);
  return b ? b->surface.bpp : 0;
}

Handle DesktopWindow() { return detail::DesktopWindowHandle(); }

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

static Handle RawCreateDIBSection(Handle hdc, const BitmapInfo* pbmi, std::uint32_t usage, void** ppvBits,
                                  Handle hSection, std::uint32_t offset) {
  Log("CreateDIBSection(" + sim::H(hdc) + "," +
      (pbmi ? sim::N(pbmi->bmiHeader.biWidth) + "," + sim::N(pbmi->bmiHeader.biHeight) + "," +
                  sim::N(pbmi->bmiHeader.biBitCount)
            : std::string("null")) +
      "," + sim::N(usage) + "," + sim::H(hSection) + "," + sim::N(offset) + ")");
  if (ppvBits) *ppvBits = nullptr;
  if (Fault("CreateDIBSection") || !pbmi) return 0;
  const BitmapInfoHeader& h = pbmi->bmiHeader;
  // What the sim models: uncompressed 24 or 32 bits a pixel, in memory of
  // its own (no file mapping).
  if (h.biSize < sizeof(BitmapInfoHeader) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1 ||
      (h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != kBiRgb || usage != kDibRgbColors ||
      hSection != 0)
    return 0;
  const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
  const std::int64_t stride = (std::int64_t{h.biWidth} * h.biBitCount / 8 + 3) & ~std::int64_t{3};
  if (stride * height > sim::kMaxBitmapBytes) return 0;
  Handle bmp = sim::AddBitmap(
      sim::MakeSurface(h.biWidth, static_cast<std::int32_t>(height), h.biBitCount, stride, h.biHeight > 0), true);
  if (ppvBits) *ppvBits = sim::G().bitmaps[bmp]->surface.bits.data();
  return bmp;
}

static std::int32_t RawGetDIBits(Handle hdc, Handle hbm, std::uint32_t start, std::uint32_t cLines, void* lpvBits,
                                 BitmapInfo* lpbmi, std::uint32_t usage) {
  Log("GetDIBits(" + sim::H(hdc) + "," + sim::H(hbm) + "," + sim::N(start) + "," + sim::N(cLines) + ")");
  if (Fault("GetDIBits") || !lpbmi || !lpvBits || !sim::FindDc(hdc)) return 0;
  sim::BitmapObj* b = sim::FindBitmap(hbm);
  // A bitmap selected into a device context may not be read this way.
  if (!b || b->selectedIn != 0) return 0;
  const BitmapInfoHeader& h = lpbmi->bmiHeader;
  // What the sim models: uncompressed 24 or 32 bits a pixel, of the
  // bitmap's own width, in either row order.
  if (h.biSize < sizeof(BitmapInfoHeader) || h.biWidth != b->surface.width || h.biHeight == 0 ||
      (h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != kBiRgb || usage != kDibRgbColors)
    return 0;
  const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
  if (height != b->surface.height || start >= height) return 0;
  const std::int64_t lines = std::min<std::int64_t>(cLines, height - start);
  sim::Surface out;
  out.width = h.biWidth;
  out.height = static_cast<std::int32_t>(height);
  out.bpp = h.biBitCount;
  out.stride = (std::int64_t{h.biWidth} * h.biBitCount / 8 + 3) & ~std::int64_t{3};
  out.bottomUp = h.biHeight > 0;
  // Scan lines are counted from the bottom of the picture, whatever the
  // row order: line `start` of a bottom-up DIB is its first in memory.
  auto* first = static_cast<std::uint8_t*>(lpvBits);
  for (std::int64_t line = start; line < start + lines; ++line) {
    const auto y = static_cast<std::int32_t>(height - 1 - line);
    const std::int64_t at = out.bottomUp ? line - start : (height - 1 - line) - (height - start - lines);
    std::uint8_t* row = first + at * out.stride;
    for (std::int32_t x = 0; x < out.width; ++x) {
      const std::uint32_t c = b->surface.Get(x, y);
      std::uint8_t* p = row + x * (out.bpp / 8);
      p[0] = static_cast<std::uint8_t>(c);
      p[1] = static_cast<std::uint8_t>(c >> 8);
      p[2] = static_cast<std::uint8_t>(c >> 16);
      if (out.bpp == 32) p[3] = 0;
    }
  }
  return static_cast<std::int32_t>(lines);
}

// What the sim models: the whole picture in one call, drawn from its top
// left corner.
static std::int32_t RawSetDIBitsToDevice(Handle hdc, std::int32_t xDest, std::int32_t yDest, std::uint32_t w,
                                         std::uint32_t h, std::int32_t xSrc, std::int32_t ySrc, std::uint32_t StartScan,
                                         std::uint32_t cLines, const void* lpvBits, const BitmapInfo* lpbmi,
                                         std::uint32_t ColorUse) {
  Log("SetDIBitsToDevice(" + sim::H(hdc) + "," + sim::N(xDest) + "," + sim::N(yDest) + "," + sim::N(w) + "," +
      sim::N(h) + "," + sim::N(StartScan) + "," + sim::N(cLines) + ")");
  if (Fault("SetDIBitsToDevice") || ColorUse != kDibRgbColors) return 0;
  auto* dc = sim::FindDc(hdc);
  const auto r = sim::ReadDib(lpbmi, lpvBits);
  if (!dc || !r || xSrc != 0 || ySrc != 0 || StartScan != 0 || cLines != static_cast<std::uint32_t>(r->height))
    return 0;
  sim::Surface* ds = sim::SurfaceOf(*dc);
  if (!ds) return 0;
  const std::int64_t width = std::min<std::int64_t>({std::int64_t{w}, r->width, ds->width - std::int64_t{xDest}});
  const std::int64_t height = std::min<std::int64_t>({std::int64_t{h}, r->height, ds->height - std::int64_t{yDest}});
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      if (xDest + x >= 0 && yDest + y >= 0) ds->Set(xDest + x, yDest + y, r->Get(x, y));
  return static_cast<std::int32_t>(cLines);
}

static Handle RawCreateCompatibleDC(Handle hdc) {
  Log("CreateCompatibleDC(" + sim::H(hdc) + ")");
  if (Fault("CreateCompatibleDC")) return 0;
  if (hdc != 0 && !sim::FindDc(hdc)) return 0;
  Handle h = sim::NewHandle();
  sim::G().dcs[h] = sim::DcObj{};
  return h;
}

static Handle RawCreateCompatibleBitmap(Handle hdc, std::int32_t cx, std::int32_t cy) {
  Log("CreateCompatibleBitmap(" + sim::H(hdc) + "," + sim::N(cx) + "," + sim::N(cy) + ")");
  if (Fault("CreateCompatibleBitmap")) return 0;
  auto* dc = sim::FindDc(hdc);
  if (!dc || cx < 0 || cy < 0) return 0;
  // Windows hands out its 1 x 1 monochrome bitmap for an empty size.
  if (cx == 0 || cy == 0) return sim::kStockBitmap;
  // The format of what the context draws on: the screen's for a window's
  // context, the selected bitmap's for a memory context.
  int bpp = 32;
  if (!dc->window) bpp = sim::SurfaceOf(*dc)->bpp;
  const std::int64_t stride =
      bpp == 1 ? (std::int64_t{cx} + 15) / 16 * 2 : (std::int64_t{cx} * bpp / 8 + 3) & ~std::int64_t{3};
  if (stride * cy > sim::kMaxBitmapBytes) return 0;
  return sim::AddBitmap(sim::MakeSurface(cx, cy, bpp, stride, false), false);
}

static Handle RawSelectObject(Handle hdc, Handle h) {
  Log("SelectObject(" + sim::H(hdc) + "," + sim::H(h) + ")");
  if (Fault("SelectObject")) return 0;
  auto* dc = sim::FindDc(hdc);
  auto* bmp = sim::FindBitmap(h);
  if (!dc || !bmp || dc->window) return 0;
  if (dc->bitmap == h) return h;
  // A bitmap can be selected into one device context at a time.
  if (h != sim::kStockBitmap && bmp->selectedIn != 0) return 0;
  const Handle prev = dc->bitmap;
  dc->bitmap = h;
  if (h != sim::kStockBitmap) bmp->selectedIn = hdc;
  sim::Deselect(prev);
  return prev;
}

static bool RawBitBlt(Handle hdc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, Handle hdcSrc,
                      std::int32_t x1, std::int32_t y1, std::uint32_t rop) {
  Log("BitBlt(" + sim::H(hdc) + "," + sim::N(x) + "," + sim::N(y) + "," + sim::N(cx) + "," + sim::N(cy) + "," +
      sim::H(hdcSrc) + "," + sim::N(x1) + "," + sim::N(y1) + "," + sim::N(rop) + ")");
  if (Fault("BitBlt")) return false;
  const int table = sim::SourceDestTable(rop);
  auto* dst = sim::FindDc(hdc);
  if (table < 0 || !dst) return false;
  const bool useSource = sim::UsesSource(table);
  sim::DcObj* src = useSource ? sim::FindDc(hdcSrc) : nullptr;
  if (useSource && !src) return false;

  sim::Surface* ds = sim::SurfaceOf(*dst);
  sim::Surface* ss = useSource ? sim::SurfaceOf(*src) : nullptr;
  if (!ds || (useSource && !ss)) return false;

  // A negative extent stands for the rectangle that ends at the point.
  std::int64_t dx = x, dy = y, w = cx, h = cy, sx = x1, sy = y1;
  if (w < 0) {
    dx += w;
    sx += w;
    w = -w;
  }
  if (h < 0) {
    dy += h;
    sy += h;
    h = -h;
  }
  // Clip to the destination, then to the source.
  sim::Clip(dx, w, ds->width, &sx);
  sim::Clip(dy, h, ds->height, &sy);
  if (ss) {
    sim::Clip(sx, w, ss->width, &dx);
    sim::Clip(sy, h, ss->height, &dy);
  }
  if (w <= 0 || h <= 0) return true;

  const auto W = static_cast<std::int32_t>(w), Hh = static_cast<std::int32_t>(h);
  const auto DX = static_cast<std::int32_t>(dx), DY = static_cast<std::int32_t>(dy);
  const auto SX = static_cast<std::int32_t>(sx), SY = static_cast<std::int32_t>(sy);

  // Whole-line copy between equal formats.
  if (table == 0xC && ss && ss != ds && ss->bpp == ds->bpp && ds->bpp != 1) {
    const std::size_t bytes = static_cast<std::size_t>(W) * static_cast<std::size_t>(ds->bpp / 8);
    for (std::int32_t r = 0; r < Hh; ++r)
      std::memcpy(ds->Row(DY + r) + DX * (ds->bpp / 8), ss->Row(SY + r) + SX * (ss->bpp / 8), bytes);
    return true;
  }
  // The source is read in full first, so that an overlapping transfer
  // within one surface reads the picture as it was.
  std::vector<std::uint32_t> source;
  if (ss) {
    source.resize(static_cast<std::size_t>(W) * static_cast<std::size_t>(Hh));
    for (std::int32_t r = 0; r < Hh; ++r)
      for (std::int32_t c = 0; c < W; ++c)
        source[static_cast<std::size_t>(r) * static_cast<std::size_t>(W) + static_cast<std::size_t>(c)] =
            ss->Get(SX + c, SY + r);
  }
  for (std::int32_t r = 0; r < Hh; ++r)
    for (std::int32_t c = 0; c < W; ++c) {
      const std::uint32_t s =
          ss ? source[static_cast<std::size_t>(r) * static_cast<std::size_t>(W) + static_cast<std::size_t>(c)] : 0;
      ds->Set(DX + c, DY + r, sim::Apply(table, s, ds->Get(DX + c, DY + r)));
    }
  return true;
}

static std::int32_t RawGetObjectA(Handle h, std::int32_t c, void* pv) {
  Log("GetObjectA(" + sim::H(h) + "," + sim::N(c) + ")");
  if (Fault("GetObjectA")) return 0;
  auto* b = sim::FindBitmap(h);
  if (!b) return 0;
  constexpr auto size = static_cast<std::int32_t>(sizeof(Bitmap));
  if (!pv) return size;
  if (c < size) return 0;
  const sim::Surface& s = b->surface;
  Bitmap out{};
  out.bmType = 0;
  out.bmWidth = s.width;
  out.bmHeight = s.height;
  out.bmWidthBytes =
      static_cast<std::int32_t>(b->dibSection ? s.stride : (std::int64_t{s.width} * s.bpp + 15) / 16 * 2);
  out.bmPlanes = 1;
  out.bmBitsPixel = static_cast<std::uint16_t>(s.bpp);
  out.bmBits = b->dibSection ? const_cast<std::uint8_t*>(s.bits.data()) : nullptr;
  std::memcpy(pv, &out, sizeof out);
  return size;
}

static bool RawDeleteObject(Handle ho) {
  Log("DeleteObject(" + sim::H(ho) + ")");
  if (Fault("DeleteObject")) return false;
  if (ho == sim::kStockBitmap) return true;  // stock objects are never deleted
  auto it = sim::G().bitmaps.find(ho);
  if (it == sim::G().bitmaps.end() || it->second->deletePending) return false;
  // As on Wine: a bitmap still selected goes when it is deselected.
  if (it->second->selectedIn)
    it->second->deletePending = true;
  else
    sim::G().bitmaps.erase(it);
  return true;
}

static bool RawDeleteDC(Handle hdc) {
  Log("DeleteDC(" + sim::H(hdc) + ")");
  if (Fault("DeleteDC")) return false;
  auto* dc = sim::FindDc(hdc);
  if (!dc || dc->window) return false;
  const Handle bitmap = dc->bitmap;
  sim::G().dcs.erase(hdc);
  sim::Deselect(bitmap);
  return true;
}

static Handle RawGetDesktopWindow() {
  Log("GetDesktopWindow()");
  return sim::detail::DesktopWindowHandle();
}

static Handle RawGetDC(Handle hWnd) {
  Log("GetDC(" + sim::H(hWnd) + ")");
  if (Fault("GetDC")) return 0;
  if (hWnd != 0 && !sim::detail::IsWindow(hWnd)) return 0;
  Handle h = sim::NewHandle();
  sim::G().dcs[h] = sim::DcObj{true, 0};
  return h;
}

static std::int32_t RawReleaseDC(Handle hWnd, Handle hDC) {
  Log("ReleaseDC(" + sim::H(hWnd) + "," + sim::H(hDC) + ")");
  if (Fault("ReleaseDC")) return 0;
  auto* dc = sim::FindDc(hDC);
  if (!dc || !dc->window) return 0;
  sim::G().dcs.erase(hDC);
  return 1;
}

// The typed edge of the seam: the handlers above work on the simulated
// platform's own numbering.
Hbitmap CreateDIBSection(Hdc hdc, const BitmapInfo* pbmi, std::uint32_t usage, void** ppvBits, Handle hSection,
                         std::uint32_t offset) {
  return HandleOf<Hbitmap>(RawCreateDIBSection(RawHandle(hdc), pbmi, usage, ppvBits, hSection, offset));
}
std::int32_t GetDIBits(Hdc hdc, Hbitmap hbm, std::uint32_t start, std::uint32_t cLines, void* lpvBits,
                       BitmapInfo* lpbmi, std::uint32_t usage) {
  return RawGetDIBits(RawHandle(hdc), RawHandle(hbm), start, cLines, lpvBits, lpbmi, usage);
}
std::int32_t SetDIBitsToDevice(Hdc hdc, std::int32_t xDest, std::int32_t yDest, std::uint32_t w, std::uint32_t h,
                               std::int32_t xSrc, std::int32_t ySrc, std::uint32_t StartScan, std::uint32_t cLines,
                               const void* lpvBits, const BitmapInfo* lpbmi, std::uint32_t ColorUse) {
  return RawSetDIBitsToDevice(RawHandle(hdc), xDest, yDest, w, h, xSrc, ySrc, StartScan, cLines, lpvBits, lpbmi,
                              ColorUse);
}
Hdc CreateCompatibleDC(Hdc hdc) { return HandleOf<Hdc>(RawCreateCompatibleDC(RawHandle(hdc))); }
Hbitmap CreateCompatibleBitmap(Hdc hdc, std::int32_t cx, std::int32_t cy) {
  return HandleOf<Hbitmap>(RawCreateCompatibleBitmap(RawHandle(hdc), cx, cy));
}
Hbitmap SelectObject(Hdc hdc, Hbitmap h) { return HandleOf<Hbitmap>(RawSelectObject(RawHandle(hdc), RawHandle(h))); }
bool BitBlt(Hdc hdc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, Hdc hdcSrc, std::int32_t x1,
            std::int32_t y1, std::uint32_t rop) {
  return RawBitBlt(RawHandle(hdc), x, y, cx, cy, RawHandle(hdcSrc), x1, y1, rop);
}
std::int32_t GetObjectA(Hbitmap h, std::int32_t c, void* pv) { return RawGetObjectA(RawHandle(h), c, pv); }
bool DeleteObject(Hbitmap ho) { return RawDeleteObject(RawHandle(ho)); }
bool DeleteDC(Hdc hdc) { return RawDeleteDC(RawHandle(hdc)); }
Hwnd GetDesktopWindow() { return HandleOf<Hwnd>(RawGetDesktopWindow()); }
Hdc GetDC(Hwnd hWnd) { return HandleOf<Hdc>(RawGetDC(RawHandle(hWnd))); }
std::int32_t ReleaseDC(Hwnd hWnd, Hdc hDC) { return RawReleaseDC(RawHandle(hWnd), RawHandle(hDC)); }

}  // namespace plat
