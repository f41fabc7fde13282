// Windows 11's "Use the Print screen key to open screen capture"
// (Settings, Accessibility, Keyboard). While it is on, Print Screen opens
// the Snipping Tool's overlay and puts nothing on the clipboard until the
// user finishes a snip, which may take seconds; Alt+Print Screen still
// copies the active window at once.
#pragma once

namespace varnel {

// The setting as it stands now: HKEY_CURRENT_USER\Control Panel\Keyboard,
// PrintScreenKeyForSnippingEnabled, 1 for on. Read at each press, so that
// a change is followed at once. False where the value is missing (Windows
// 10, and Windows 11 before the setting came).
bool PrintScreenOpensSnipping();

// The page of Settings where the user turns it on or off.
inline constexpr char16_t kSnippingSettingsPage[] = u"ms-settings:easeofaccess-keyboard";

}  // namespace varnel
