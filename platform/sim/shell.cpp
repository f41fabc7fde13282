// Simulated notification area and keyboard state.
#include <cstring>
#include <deque>
#include <map>
#include <set>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

struct Shell {
  std::vector<TrayCall> trayCalls;
  std::set<std::pair<std::uint32_t, std::uint32_t>> icons;  // (hWnd, uID)
  std::map<int, std::deque<std::int16_t>> keyQueue;
  std::map<int, std::int16_t> keyIdle;
  std::vector<ShellExecution> executions;
  std::deque<std::optional<std::string>> folderAnswers;
  std::vector<FolderDialogCall> folderDialogs;
  std::map<Handle, std::string> itemLists;  // live item identifier lists and their paths
  Handle nextItemList = 0x30000;
};

Shell& Sh() {
  static Shell s;
  return s;
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The record as 32-bit Windows lays it out: 88 bytes, handles of 4 bytes.
std::vector<std::uint8_t> Wire(const plat::NotifyIconDataA& d) {
  std::vector<std::uint8_t> out(88, 0);
  Put32(out, 0, d.cbSize);
  Put32(out, 4, static_cast<std::uint32_t>(d.hWnd));
  Put32(out, 8, d.uID);
  Put32(out, 12, d.uFlags);
  Put32(out, 16, d.uCallbackMessage);
  Put32(out, 20, static_cast<std::uint32_t>(d.hIcon));
  std::memcpy(out.data() + 24, d.szTip, 64);
  return out;
}

}  // namespace

namespace detail {
void ResetShell() { Sh() = Shell{}; }
}  // namespace detail

const std::vector<TrayCall>& TrayCalls() { return Sh().trayCalls; }
bool TrayIconPresent() { return !Sh().icons.empty(); }

void QueueKeyState(int vk, std::vector<std::int16_t> readings) {
  auto& q = Sh().keyQueue[vk];
  q.insert(q.end(), readings.begin(), readings.end());
}

void SetIdleKeyState(int vk, std::int16_t idle) { Sh().keyIdle[vk] = idle; }

const std::vector<ShellExecution>& ShellExecutions() { return Sh().executions; }
void QueueFolderDialogAnswer(std::optional<std::string> path) { Sh().folderAnswers.push_back(std::move(path)); }
const std::vector<FolderDialogCall>& FolderDialogs() { return Sh().folderDialogs; }
std::size_t LiveItemLists() { return Sh().itemLists.size(); }

}  // namespace sim

namespace plat {

std::uint32_t NotifyIconDataSize() { return 88; }

bool Shell_NotifyIconA(std::uint32_t dwMessage, NotifyIconDataA* lpData) {
  sim::detail::Log("Shell_NotifyIconA(" + std::to_string(dwMessage) + ")");
  auto& sh = sim::Sh();
  bool ok = false;
  if (lpData && lpData->cbSize == 88 && lpData->hWnd != 0 && !sim::detail::Fault("Shell_NotifyIconA")) {
    const auto id = std::make_pair(static_cast<std::uint32_t>(lpData->hWnd), lpData->uID);
    switch (dwMessage) {
      case kNimAdd: ok = sh.icons.insert(id).second; break;
      case kNimModify: ok = sh.icons.count(id) != 0; break;
      case kNimDelete: ok = sh.icons.erase(id) != 0; break;
      default: break;
    }
  }
  sh.trayCalls.push_back({dwMessage, lpData ? sim::Wire(*lpData) : std::vector<std::uint8_t>{}, ok});
  return ok;
}

Handle ShellExecuteA(Handle hwnd, const char* lpOperation, const char* lpFile,
                     const char* lpParameters, const char* lpDirectory, int nShowCmd) {
  auto str = [](const char* p) { return p ? std::string(p) : std::string(); };
  sim::detail::Log("ShellExecuteA(" + str(lpOperation) + "," + str(lpFile) + ")");
  sim::Sh().executions.push_back(
      {hwnd, str(lpOperation), str(lpFile), str(lpParameters), str(lpDirectory), nShowCmd});
  return 42;
}

Handle SHBrowseForFolderA(BrowseInfoA* lpbi) {
  sim::detail::Log("SHBrowseForFolderA");
  auto& sh = sim::Sh();
  sh.folderDialogs.push_back({lpbi->hwndOwner, lpbi->lpszTitle ? lpbi->lpszTitle : "", lpbi->ulFlags,
                              lpbi->pidlRoot == 0, lpbi->pszDisplayName != nullptr, lpbi->lpfn != 0});
  if (sh.folderAnswers.empty()) return 0;
  auto answer = sh.folderAnswers.front();
  sh.folderAnswers.pop_front();
  if (!answer) return 0;
  Handle pidl = sh.nextItemList;
  sh.nextItemList += 0x10;
  sh.itemLists[pidl] = *answer;
  return pidl;
}

bool SHGetPathFromIDListA(Handle pidl, char* pszPath) {
  sim::detail::Log("SHGetPathFromIDListA");
  auto it = sim::Sh().itemLists.find(pidl);
  // An item without a file-system path (an empty answer) leaves the buffer alone.
  if (it == sim::Sh().itemLists.end() || it->second.empty() || it->second.size() >= kMaxPath) return false;
  std::memcpy(pszPath, it->second.c_str(), it->second.size() + 1);
  return true;
}

void CoTaskMemFree(Handle pv) {
  sim::detail::Log("CoTaskMemFree");
  sim::Sh().itemLists.erase(pv);
}

std::int16_t GetAsyncKeyState(int vKey) {
  sim::detail::Log("GetAsyncKeyState(" + std::to_string(vKey) + ")");
  auto& q = sim::Sh().keyQueue[vKey];
  if (!q.empty()) {
    auto v = q.front();
    q.pop_front();
    return v;
  }
  return sim::Sh().keyIdle[vKey];
}

}  // namespace plat
