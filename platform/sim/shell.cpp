// Simulated notification area, keyboard state, shell execution, special
// folders, the folder dialog and the save dialog.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "platform/api.h"
#include "platform/dialogs.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

// An icon the notification area shows, as far as the tests look at it.
struct Icon {
  std::uint32_t version = 0;  // 0 until NIM_SETVERSION; every add starts again at 0
  std::u16string tip;         // as the user sees it on hovering
};

struct Shell {
  std::vector<TrayCall> trayCalls;
  std::map<std::pair<std::uint32_t, std::uint32_t>, Icon> icons;  // by (hWnd, uID)
  std::vector<Balloon> balloons;
  std::size_t focusReturns = 0;
  bool addTimesOut = false;
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
std::uint32_t TrayIconVersion() { return Sh().icons.empty() ? 0 : Sh().icons.begin()->second.version; }
std::u16string TrayTipShown() { return Sh().icons.empty() ? u"" : Sh().icons.begin()->second.tip; }
const std::vector<Balloon>& Balloons() { return Sh().balloons; }
std::size_t TrayFocusReturns() { return Sh().focusReturns; }
void NextTrayAddTimesOut() { Sh().addTimesOut = true; }

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

namespace {

std::u16string Field(const char16_t* field, std::size_t size) {
  const std::u16string_view text(field, size);
  return std::u16string(text.substr(0, text.find(u'\0')));
}

// What the user sees of an icon's record. Version 4 shows the standard tip
// only with NIF_SHOWTIP: "NIF_SHOWTIP: Use the standard tooltip. Normally,
// when uVersion is set to NOTIFYICON_VERSION_4, the standard tooltip is
// suppressed and can be replaced by the application-drawn, pop-up UI."
// (learn.microsoft.com, NOTIFYICONDATAW structure.) Wine shows the tip either way.
void Take(sim::Icon& icon, const NotifyIconDataW& r) {
  if (r.uFlags & kNifTip)
    icon.tip = icon.version >= kNotifyIconVersion4 && !(r.uFlags & kNifShowTip) ? u"" : Field(r.szTip, 128);
  if (r.uFlags & kNifInfo && r.szInfo[0] != u'\0')
    sim::Sh().balloons.push_back({Field(r.szInfoTitle, 64), Field(r.szInfo, 256), r.dwInfoFlags});
}

}  // namespace

bool Shell_NotifyIconW(std::uint32_t dwMessage, NotifyIconDataW* lpData) {
  sim::detail::Log("Shell_NotifyIconW(" + std::to_string(dwMessage) + ")");
  auto& sh = sim::Sh();
  bool ok = false;
  if (lpData && lpData->cbSize == sizeof(NotifyIconDataW) && lpData->hWnd != Hwnd{} &&
      !sim::detail::Fault("Shell_NotifyIconW")) {
    const auto id = std::make_pair(static_cast<std::uint32_t>(lpData->hWnd), lpData->uID);
    const auto icon = sh.icons.find(id);
    switch (dwMessage) {
      case kNimAdd:
        ok = icon == sh.icons.end();
        if (ok) Take(sh.icons[id], *lpData);
        // The shell took the icon but did not answer in time: the caller
        // hears of a failure.
        if (ok && std::exchange(sh.addTimesOut, false)) ok = false;
        break;
      case kNimModify:
        ok = icon != sh.icons.end();
        if (ok) Take(icon->second, *lpData);
        break;
      case kNimDelete:
        ok = icon != sh.icons.end();
        if (ok) sh.icons.erase(icon);
        break;
      // The version belongs to the icon as added: a new add (after the
      // shell's restart, say) starts again at 0.
      case kNimSetVersion:
        ok = icon != sh.icons.end() && lpData->uTimeout <= kNotifyIconVersion4;
        if (ok) icon->second.version = lpData->uTimeout;
        break;
      // "NIM_SETFOCUS: Returns focus to the taskbar notification area.
      // Notification area icons should use this message when they have
      // completed their UI operation. For example, if the icon displays a
      // shortcut menu, but the user presses ESC to cancel it, use
      // NIM_SETFOCUS to return focus to the notification area."
      // (learn.microsoft.com, Shell_NotifyIconW function.) Wine ignores it.
      case kNimSetFocus:
        ok = icon != sh.icons.end();
        if (ok) ++sh.focusReturns;
        break;
      default: break;
    }
  }
  sh.trayCalls.push_back({dwMessage, lpData ? *lpData : NotifyIconDataW{}, ok});
  return ok;
}

std::uint32_t GetDoubleClickTime() {
  sim::detail::Log("GetDoubleClickTime()");
  return sim::kDoubleClickMs;
}

// As Windows writes sizes: bytes up to 1023, then three significant digits
// of the unit that keeps the number under 1000, cut (never rounded) to two,
// one or no decimals.
char16_t* StrFormatByteSizeW(std::int64_t qdw, char16_t* pszBuf, std::uint32_t cchBuf) {
  sim::detail::Log("StrFormatByteSizeW(" + std::to_string(qdw) + ")");
  if (!pszBuf || cchBuf == 0) return nullptr;
  std::string text;
  if (qdw < 1024) {
    text = std::to_string(qdw) + " bytes";
  } else {
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    auto value = static_cast<long double>(qdw) / 1024;
    std::size_t unit = 0;
    while (value >= 1000 && unit + 1 < std::size(kUnits)) {
      value /= 1024;
      ++unit;
    }
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    long double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const auto cut = static_cast<std::int64_t>(value * scale + 1e-9L);
    std::string digits = std::to_string(cut);
    if (digits.size() <= static_cast<std::size_t>(decimals))
      digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    text = decimals == 0 ? digits
                         : std::string(digits.substr(0, digits.size() - static_cast<std::size_t>(decimals))) + "." +
                               digits.substr(digits.size() - static_cast<std::size_t>(decimals));
    text += std::string(" ") + kUnits[unit];
  }
  if (text.size() >= cchBuf) return nullptr;
  std::copy(text.begin(), text.end(), pszBuf);
  pszBuf[text.size()] = u'\0';
  return pszBuf;
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
