// Simulated global memory: blocks of bytes in a handle table, locked and
// unlocked, and handed to the clipboard, which then owns them (a packed
// picture, kCfDib). A block the clipboard owns is freed when the clipboard
// is emptied or its format replaced.
#include <map>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

struct Block {
  std::vector<std::uint8_t> bytes;
  int locks = 0;
  bool clipboard = false;
};

struct Memory {
  Handle next = 0x00360000;
  std::map<Handle, Block> blocks;
};

Memory& M() {
  static Memory m;
  return m;
}

Block* Find(Handle h) {
  auto it = M().blocks.find(h);
  return it == M().blocks.end() ? nullptr : &it->second;
}

}  // namespace

namespace detail {

void ResetMemory() { M() = Memory{}; }

Handle NewGlobal(std::vector<std::uint8_t> bytes) {
  M().next += 8;
  M().blocks[M().next] = Block{std::move(bytes), 0, false};
  return M().next;
}

bool IsGlobal(Handle h) { return Find(h) != nullptr; }

const std::vector<std::uint8_t>* GlobalBytes(Handle h) {
  const Block* b = Find(h);
  return b ? &b->bytes : nullptr;
}

void GiveGlobalToClipboard(Handle h) {
  if (auto* b = Find(h)) b->clipboard = true;
}

void FreeClipboardGlobal(Handle h) {
  auto it = M().blocks.find(h);
  if (it != M().blocks.end() && it->second.clipboard) M().blocks.erase(it);
}

}  // namespace detail

std::size_t LiveGlobals() {
  std::size_t n = 0;
  for (const auto& [h, b] : M().blocks)
    if (!b.clipboard) ++n;
  return n;
}

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

Hglobal GlobalAlloc(std::uint32_t uFlags, std::size_t dwBytes) {
  Log("GlobalAlloc(" + std::to_string(uFlags) + "," + std::to_string(dwBytes) + ")");
  if (Fault("GlobalAlloc")) {
    SetLastError(8);  // ERROR_NOT_ENOUGH_MEMORY
    return {};
  }
  return HandleOf<Hglobal>(sim::detail::NewGlobal(std::vector<std::uint8_t>(dwBytes, 0)));
}

void* GlobalLock(Hglobal hMem) {
  Log("GlobalLock(" + std::to_string(RawHandle(hMem)) + ")");
  auto* b = sim::Find(RawHandle(hMem));
  if (Fault("GlobalLock") || !b) {
    SetLastError(static_cast<std::uint32_t>(kErrorInvalidHandle));
    return nullptr;
  }
  ++b->locks;
  // A block of no bytes still has an address of its own.
  if (b->bytes.empty()) b->bytes.reserve(1);
  return b->bytes.data();
}

bool GlobalUnlock(Hglobal hMem) {
  Log("GlobalUnlock(" + std::to_string(RawHandle(hMem)) + ")");
  auto* b = sim::Find(RawHandle(hMem));
  if (!b || b->locks == 0) return false;
  return --b->locks > 0;
}

std::size_t GlobalSize(Hglobal hMem) {
  Log("GlobalSize(" + std::to_string(RawHandle(hMem)) + ")");
  auto* b = sim::Find(RawHandle(hMem));
  return b ? b->bytes.size() : 0;
}

Hglobal GlobalFree(Hglobal hMem) {
  Log("GlobalFree(" + std::to_string(RawHandle(hMem)) + ")");
  auto it = sim::M().blocks.find(RawHandle(hMem));
  if (it == sim::M().blocks.end() || it->second.clipboard) return hMem;
  sim::M().blocks.erase(it);
  return {};
}

}  // namespace plat
