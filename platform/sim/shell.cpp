// Simulated notification area, keyboard state, shell execution, special
// folders, the folder dialog and the save dialog.
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "platform/api.h"
#include "platform/dialogs.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

struct Shell {
  std::vector<TrayCall> trayCalls;
  std::set<std::pair<std::uint32_t, std::uint32_t>> icons;  // (hWnd, uID)
  std::map<int, std::deque<std::int16_t>> keyQueue;
  std::vector<ShellExecution> executions;
  std::deque<std::optional<std::string>> folderAnswers;
  std::vector<FolderDialogCall> folderDialogs;
  std::deque<SaveDialogAnswer> saveAnswers;
  std::vector<SaveDialogCall> saveDialogs;
  std::map<Handle, std::u16string> itemLists;  // live item identifier lists and their paths
  Handle nextItemList = 0x30000;
  std::function<void()> whileExecuting;
  std::map<int, std::u16string> folders{{plat::kCsidlDesktopDirectory, u"C:\\Users\\user\\Desktop"},
                                        {plat::kCsidlAppData, u"C:\\Users\\user\\AppData\\Roaming"},
                                        {plat::kCsidlMyPictures, u"C:\\Users\\user\\Pictures"},
                                        {plat::kCsidlPersonal, u"C:\\Users\\user\\Documents"}};
};

Shell& Sh() {
  static Shell s;
  return s;
}

}  // namespace

namespace detail {
void ResetShell() {
  Sh() = Shell{};
  for (const auto& [csidl, path] : Sh().folders) std::filesystem::create_directories(HostPath(path));
}
void ForgetTrayIcons() { Sh().icons.clear(); }
}  // namespace detail

const std::vector<TrayCall>& TrayCalls() { return Sh().trayCalls; }
bool TrayIconPresent() { return !Sh().icons.empty(); }

void QueueKeyState(int vk, std::vector<std::int16_t> readings) {
  auto& q = Sh().keyQueue[vk];
  q.insert(q.end(), readings.begin(), readings.end());
}

const std::vector<ShellExecution>& ShellExecutions() { return Sh().executions; }
void WhileShellExecuting(std::function<void()> action) { Sh().whileExecuting = std::move(action); }
void SetShellFolder(int csidl, const std::u16string& path) { Sh().folders[csidl] = path; }
void QueueFolderDialogAnswer(std::optional<std::string> path) { Sh().folderAnswers.push_back(std::move(path)); }
const std::vector<FolderDialogCall>& FolderDialogs() { return Sh().folderDialogs; }
void QueueSaveDialogAnswer(SaveDialogAnswer answer) { Sh().saveAnswers.push_back(std::move(answer)); }
const std::vector<SaveDialogCall>& SaveDialogs() { return Sh().saveDialogs; }
std::size_t LiveItemLists() { return Sh().itemLists.size(); }
Handle ItemListFor(const std::u16string& path) {
  const Handle pidl = Sh().nextItemList;
  Sh().nextItemList += 0x10;
  Sh().itemLists[pidl] = path;
  return pidl;
}

}  // namespace sim

namespace plat {

bool Shell_NotifyIconW(std::uint32_t dwMessage, NotifyIconDataW* lpData) {
  sim::detail::Log("Shell_NotifyIconW(" + std::to_string(dwMessage) + ")");
  auto& sh = sim::Sh();
  bool ok = false;
  if (lpData && lpData->cbSize == sizeof(NotifyIconDataW) && lpData->hWnd != Hwnd{} &&
      !sim::detail::Fault("Shell_NotifyIconW")) {
    const auto id = std::make_pair(static_cast<std::uint32_t>(lpData->hWnd), lpData->uID);
    switch (dwMessage) {
      case kNimAdd: ok = sh.icons.insert(id).second; break;
      case kNimModify: ok = sh.icons.count(id) != 0; break;
      case kNimDelete: ok = sh.icons.erase(id) != 0; break;
      default: break;
    }
  }
  sh.trayCalls.push_back({dwMessage, lpData ? *lpData : NotifyIconDataW{}, ok});
  return ok;
}

namespace {

std::u16string Lower(std::u16string s) {
  for (auto& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

Handle Execute(const char* function, Handle hwnd, const std::u16string& verb, const std::u16string& file,
               const std::u16string& parameters, const std::u16string& directory, int show) {
  sim::detail::Log(std::string(function) + "(" + ToUtf8(verb) + "," + ToUtf8(file) + ")");
  const std::uint32_t attributes = GetFileAttributesW(file.c_str());
  const std::u16string v = Lower(verb);
  const std::u16string ext = Lower(std::filesystem::path(ToUtf8(file)).extension().u16string());
  // A protocol of its own ("ms-settings:..."): its handler takes it.
  const std::size_t colon = file.find(u':');
  const bool protocol = colon != std::u16string::npos && colon > 1;
  const bool opens = v.empty() || v == u"open";
  Handle result = kSeErrNoAssoc;
  if (protocol)
    result = opens ? 42 : kSeErrNoAssoc;
  else if (file.empty() || attributes == kInvalidFileAttributes)
    result = kSeErrFileNotFound;
  else if (attributes & kFileAttributeDirectory)
    result = opens || v == u"explore" ? 42 : kSeErrNoAssoc;
  else if (opens &&
           (ext == u".jpg" || ext == u".jpeg" || ext == u".bmp" || ext == u".png" || ext == u".txt" || ext == u".exe"))
    result = 42;
  sim::Sh().executions.push_back(
      {hwnd, ToUtf8(verb), ToUtf8(file), ToUtf8(parameters), ToUtf8(directory), show, result});
  // The handler may be started through a message loop of the shell's own.
  if (auto action = sim::Sh().whileExecuting) action();
  return result;
}

std::u16string Wide(const char16_t* p) { return p ? std::u16string(p) : std::u16string(); }
std::u16string Wide(const char* p) { return p ? FromAnsi(p) : std::u16string(); }

}  // namespace

static Handle RawShellExecuteA(Handle hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                               const char* lpDirectory, int nShowCmd) {
  return Execute("ShellExecuteA", hwnd, Wide(lpOperation), Wide(lpFile), Wide(lpParameters), Wide(lpDirectory),
                 nShowCmd);
}

static Handle RawShellExecuteW(Handle hwnd, const char16_t* lpOperation, const char16_t* lpFile,
                               const char16_t* lpParameters, const char16_t* lpDirectory, int nShowCmd) {
  return Execute("ShellExecuteW", hwnd, Wide(lpOperation), Wide(lpFile), Wide(lpParameters), Wide(lpDirectory),
                 nShowCmd);
}

static Handle RawSHBrowseForFolderW(BrowseInfoW* lpbi) {
  sim::detail::Log("SHBrowseForFolderW");
  auto& sh = sim::Sh();
  sh.folderDialogs.push_back({RawHandle(lpbi->hwndOwner), ToUtf8(Wide(lpbi->lpszTitle)), lpbi->ulFlags,
                              lpbi->pidlRoot == ItemList{}, lpbi->pszDisplayName != nullptr, lpbi->lpfn != 0});
  if (sh.folderAnswers.empty()) return 0;
  auto answer = sh.folderAnswers.front();
  sh.folderAnswers.pop_front();
  if (!answer) return 0;
  Handle pidl = sh.nextItemList;
  sh.nextItemList += 0x10;
  sh.itemLists[pidl] = FromUtf8(*answer);
  return pidl;
}

static bool RawSHGetPathFromIDListEx(Handle pidl, char16_t* pszPath, std::uint32_t cchPath, std::uint32_t uOpts) {
  sim::detail::Log("SHGetPathFromIDListEx(" + std::to_string(cchPath) + ")");
  auto it = sim::Sh().itemLists.find(pidl);
  if (it == sim::Sh().itemLists.end() || it->second.empty() || uOpts != 0 || it->second.size() >= cchPath) return false;
  std::copy(it->second.begin(), it->second.end(), pszPath);
  pszPath[it->second.size()] = u'\0';
  return true;
}

static std::int32_t RawSHGetFolderPathAndSubDirW(Handle hwnd, int csidl, Handle hToken, std::uint32_t dwFlags,
                                                 const char16_t* pszSubDir, char16_t* pszPath);

static std::int32_t RawSHGetFolderPathW(Handle hwnd, int csidl, Handle hToken, std::uint32_t dwFlags,
                                        char16_t* pszPath) {
  return RawSHGetFolderPathAndSubDirW(hwnd, csidl, hToken, dwFlags, nullptr, pszPath);
}

static std::int32_t RawSHGetFolderPathAndSubDirW(Handle /*hwnd*/, int csidl, Handle /*hToken*/,
                                                 std::uint32_t /*dwFlags*/, const char16_t* pszSubDir,
                                                 char16_t* pszPath) {
  constexpr std::int32_t kEInvalidArg = static_cast<std::int32_t>(0x80070057u);
  constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);
  constexpr std::int32_t kPathNotFound = static_cast<std::int32_t>(0x80070003u);
  constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005u);
  sim::detail::Log("SHGetFolderPathW(" + std::to_string(csidl) + "," + ToUtf8(Wide(pszSubDir)) + ")");
  if (pszPath) pszPath[0] = u'\0';
  auto it = sim::Sh().folders.find(csidl & ~kCsidlFlagCreate);
  if (!pszPath || it == sim::Sh().folders.end()) return kEInvalidArg;
  std::u16string path = it->second;
  if (pszSubDir && *pszSubDir) path += u"\\" + Wide(pszSubDir);
  if (path.size() >= kMaxPath) return kEInvalidArg;
  std::error_code ec;
  const auto host = sim::HostPath(path);
  if (!std::filesystem::is_directory(host, ec)) {
    if (!(csidl & kCsidlFlagCreate)) return pszSubDir ? kPathNotFound : kEFail;
    if (!std::filesystem::create_directories(host, ec)) return kAccessDenied;
  }
  std::copy(path.begin(), path.end(), pszPath);
  pszPath[path.size()] = u'\0';
  return 0;
}

static void RawCoTaskMemFree(Handle pv) {
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
  return 0;
}

// The typed edge of the seam: the handlers above work on the simulated
// platform's own numbering.
Handle ShellExecuteA(Hwnd hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                     const char* lpDirectory, int nShowCmd) {
  return RawShellExecuteA(RawHandle(hwnd), lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
}
Handle ShellExecuteW(Hwnd hwnd, const char16_t* lpOperation, const char16_t* lpFile, const char16_t* lpParameters,
                     const char16_t* lpDirectory, int nShowCmd) {
  return RawShellExecuteW(RawHandle(hwnd), lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
}
ItemList SHBrowseForFolderW(BrowseInfoW* lpbi) { return HandleOf<ItemList>(RawSHBrowseForFolderW(lpbi)); }
bool SHGetPathFromIDListEx(ItemList pidl, char16_t* pszPath, std::uint32_t cchPath, std::uint32_t uOpts) {
  return RawSHGetPathFromIDListEx(RawHandle(pidl), pszPath, cchPath, uOpts);
}
std::int32_t SHGetFolderPathW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags, char16_t* pszPath) {
  return RawSHGetFolderPathW(RawHandle(hwnd), csidl, hToken, dwFlags, pszPath);
}
std::int32_t SHGetFolderPathAndSubDirW(Hwnd hwnd, int csidl, Handle hToken, std::uint32_t dwFlags,
                                       const char16_t* pszSubDir, char16_t* pszPath) {
  return RawSHGetFolderPathAndSubDirW(RawHandle(hwnd), csidl, hToken, dwFlags, pszSubDir, pszPath);
}
void CoTaskMemFree(ItemList pv) { RawCoTaskMemFree(RawHandle(pv)); }

// The save dialog opens in the folder it is given where that exists, and
// in the user's documents otherwise. "If this method is called before
// showing the dialog, the dialog will update the default extension
// automatically when the user chooses a new file type" (learn.microsoft.com,
// IFileDialog::SetDefaultExtension): a name typed without an extension
// gets the chosen type's.
std::optional<SaveFileAnswer> SaveFileDialog(const SaveFileRequest& request) {
  auto& sh = sim::Sh();
  std::u16string folder = request.folder;
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(sim::HostPath(folder), error))
    folder = sh.folders[kCsidlPersonal];
  std::vector<std::string> types;
  for (const FileType& t : request.types) types.push_back(ToUtf8(t.name + u" (*" + t.extension + u")"));
  sh.saveDialogs.push_back(
      {RawHandle(request.owner), ToUtf8(folder), ToUtf8(request.fileName), std::move(types), request.type});
  sim::detail::Log("IFileSaveDialog::Show");
  if (sh.saveAnswers.empty()) return std::nullopt;
  const sim::SaveDialogAnswer answer = sh.saveAnswers.front();
  sh.saveAnswers.pop_front();
  if (!answer.typed) return std::nullopt;
  const std::size_t type = answer.type.value_or(request.type);
  std::u16string path = FromUtf8(*answer.typed);
  const bool full = path.size() > 2 && path[1] == u':';
  if (!full) path = folder + u"\\" + path;
  const std::size_t name = path.find_last_of(u'\\') + 1;
  if (path.find(u'.', name) == std::u16string::npos && type < request.types.size())
    path += request.types[type].extension;
  return SaveFileAnswer{path, type};
}

}  // namespace plat
