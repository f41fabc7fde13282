// Owners of the kernel, registry and shell handles the code above the
// platform opens, one plat::Unique per kind (the graphics ones are in
// gdi_handles.h).
#pragma once

#include "platform/api.h"
#include "platform/unique.h"

namespace plat {

// A registry key from RegOpenKeyExW. Its close is issued once the open
// has been asked for, also when the open failed and the key is still 0:
// the program has always done so, and Windows answers it harmlessly.
struct KeyTraits {
  using Type = Hkey;
  static constexpr bool kCloseFailedOpen = true;
  static Type Empty() { return {}; }
  static void Close(Type h) { RegCloseKey(h); }
};
using UniqueKey = Unique<KeyTraits>;

// A search from FindFirstFileW, closed with FindClose.
struct FindTraits {
  using Type = Hfind;
  static Type Empty() { return kInvalidFind; }
  static void Close(Type h) { FindClose(h); }
};
using UniqueFind = Unique<FindTraits>;

// An open file from CreateFileW, closed with CloseHandle. A caller that
// needs CloseHandle's answer (a write's last data may fail there) takes
// the handle back with release() and closes it itself.
struct FileTraits {
  using Type = Hfile;
  static Type Empty() { return kInvalidFile; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueFile = Unique<FileTraits>;

// An item identifier list the shell allocated, freed with CoTaskMemFree.
struct ItemListTraits {
  using Type = ItemList;
  static Type Empty() { return {}; }
  static void Close(Type h) { CoTaskMemFree(h); }
};
using UniqueItemList = Unique<ItemListTraits>;

// A pop-up menu from CreatePopupMenu, destroyed with DestroyMenu.
struct MenuTraits {
  using Type = Hmenu;
  static Type Empty() { return {}; }
  static void Close(Type h) { DestroyMenu(h); }
};
using UniqueMenu = Unique<MenuTraits>;

}  // namespace plat
