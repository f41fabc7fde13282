// Windows 11's "Use the Print screen key to open screen capture"
// (Settings, Accessibility, Keyboard). While it is on, Print Screen opens
// the Snipping Tool's overlay and puts nothing on the clipboard until the
// user finishes a snip, which may take seconds; Alt+Print Screen still
// copies the active window at once.
#pragma once

namespace varnel {

// The setting as it stands now: HKEY_CURRENT_USER\Control Panel\Keyboard,
// PrintScreenKeyForSnippingEnabled, 1 for on and 0 for off. Where the user
// never touched the switch the value does not exist, and Windows 11 (build
// 22000 and later) then opens the Snipping Tool: missing counts as on
// there and as off before it. (A Windows 11 that predates that default
// copies the screen at once, and the wait for a snip then saves that
// picture at once too.) Read at each press, so that a change is followed
// at once.
bool PrintScreenOpensSnipping();

// The page of Settings where the user turns it on or off.
inline constexpr char16_t kSnippingSettingsPage[] = u"ms-settings:easeofaccess-keyboard";

}  // namespace varnel
