// Internal: shared pieces of the simulated platform.
#pragma once

#include <cstdint>
#include <filesystem>
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
void ResetFiles();
void ResetGdi();
void ResetClipboard();
void ResetClock();

// The notification area forgets its icons (Explorer ended).
void ForgetTrayIcons();

// The simulated file system, for the other simulated parts.
plat::FileTime Now();
bool ValidFileName(std::string_view windowsName);
// True when a file may be created or overwritten under the host path: it
// does not exist, or is a file that is not read-only, hidden, system or open.
bool Writable(const std::filesystem::path& host);
// Records that a file was just written: times now, attributes archive;
// an overwritten file keeps its creation time.
void FileWritten(const std::filesystem::path& host, bool replaced);
// Forgets what was kept of a file that is gone.
void ResetFileMeta(const std::filesystem::path& host);
// Standard-user mode (SetStandardUser), and whether it keeps the user from
// creating or changing anything under the host path: the folders only
// administrators may write to (Program Files and Windows) refuse them.
bool StandardUser();
bool WriteProtected(const std::filesystem::path& host);

// Between the simulated clipboard and the graphics objects: whether a
// handle is a live bitmap, handing one to the clipboard (it then no longer
// counts as a live object of the program), and destroying it.
bool IsBitmap(Handle h);
void GiveBitmapToClipboard(Handle h);
void DestroyClipboardBitmap(Handle h);

std::string Lower(std::string_view s);

}  // namespace sim::detail
