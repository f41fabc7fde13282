// Internal: shared pieces of the simulated platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>
#include <string>

#include "platform/sim/sim.h"

namespace sim::detail {

void Log(std::string entry);
// True when an injected fault is due for this function; `code` receives it.
bool Fault(const std::string& functionName, std::int32_t* code = nullptr);

// Per-store reset hooks, run by sim::Reset.
void ResetRegistry();
void ResetShell();
void ResetToolkit();
void ResetAppEnv();
void ResetFiles();
void ResetGdi();
void ResetClipboard();
void ResetClock();
void ResetMemory();
void ResetMonitors();

// The simulated machine's windows, one table for every store that knows
// them: the desktop's, fixed, and the top-level windows the program makes,
// each with a handle of its own (the lowest free, so a test's first window
// always has the same one). The table outlives sim::Reset, as a window made
// before a reset lives on until it is destroyed.
Handle DesktopWindowHandle();
Handle NewWindow();
void ForgetWindow(Handle h);
// True for the desktop's window and a window made and not yet forgotten.
bool IsWindow(Handle h);
// The program's icon, as loaded from its resources.
Handle ApplicationIcon();
// Its image of the small-icon size (LoadIconMetric, LIM_SMALL).
Handle SmallApplicationIcon();

// The notification area forgets its icons (Explorer ended).
void ForgetTrayIcons();

// The clipboard's content changed: a report is posted to the window when
// it watches the clipboard.
void ClipboardChanged();

// Between the simulated clipboard and the graphics objects: whether a
// handle is a live bitmap, handing one to the clipboard (it then no longer
// counts as a live object of the program), and destroying it.
bool IsBitmap(Handle h);
void GiveBitmapToClipboard(Handle h);
void DestroyClipboardBitmap(Handle h);
// The same for global memory blocks (a packed picture), and a new block
// holding the bytes.
Handle NewGlobal(std::vector<std::uint8_t> bytes);
bool IsGlobal(Handle h);
const std::vector<std::uint8_t>* GlobalBytes(Handle h);  // null for no block
void GiveGlobalToClipboard(Handle h);
void FreeClipboardGlobal(Handle h);
// A bitmap's picture as Windows offers it in the clipboard's packed form
// when only the bitmap was put there: a 32-bit bottom-up DIB with its three
// colour masks; nullopt for a handle that is no bitmap.
std::optional<std::vector<std::uint8_t>> PackedDibOf(Handle bitmap);
// The other way: a bitmap of the screen's format made from a packed
// picture, owned by the clipboard; 0 when the sim cannot read the picture.
Handle BitmapOfPackedDib(const std::vector<std::uint8_t>& packed);

std::string Lower(std::string_view s);

}  // namespace sim::detail
