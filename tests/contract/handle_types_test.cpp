// Handles of different kinds cannot be mixed up at the seam: each of these
// holds at compile time, on both backends.
#include <cstdint>
#include <type_traits>

#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "platform/handles.h"

namespace {

using plat::Hbitmap;
using plat::Hdc;
using plat::Hkey;
using plat::Hwnd;

// No kind converts to another, nor to or from a bare number.
static_assert(!std::is_convertible_v<Hdc, Hkey> && !std::is_convertible_v<Hkey, Hdc>);
static_assert(!std::is_convertible_v<Hbitmap, Hdc> && !std::is_convertible_v<Hwnd, Hdc>);
static_assert(!std::is_convertible_v<std::uintptr_t, Hdc> && !std::is_convertible_v<Hdc, std::uintptr_t>);

// A call takes its own kind only.
static_assert(std::is_invocable_v<decltype(plat::RegCloseKey)&, Hkey>);
static_assert(!std::is_invocable_v<decltype(plat::RegCloseKey)&, Hdc>);
static_assert(std::is_invocable_v<decltype(plat::DeleteDC)&, Hdc>);
static_assert(!std::is_invocable_v<decltype(plat::DeleteDC)&, Hbitmap>);
static_assert(!std::is_invocable_v<decltype(plat::DeleteDC)&, std::uintptr_t>);
static_assert(!std::is_invocable_v<decltype(plat::SelectObject)&, Hbitmap, Hdc>);  // arguments swapped
static_assert(!std::is_invocable_v<decltype(plat::GetDC)&, Hdc>);

// So does an owner.
static_assert(std::is_constructible_v<plat::MemoryDC, Hdc>);
static_assert(!std::is_constructible_v<plat::MemoryDC, Hbitmap>);
static_assert(!std::is_constructible_v<plat::UniqueKey, Hdc>);

}  // namespace
