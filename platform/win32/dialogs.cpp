// The real task dialog (comctl32 6, which the program's manifest asks for)
// and the common save dialog (IFileSaveDialog).
#include "platform/dialogs.h"

#include "platform/app_env.h"
#include "platform/unique.h"
#include "platform/win32/handles.h"
#include "platform/win32/win.h"
#include <commctrl.h>
#include <shobjidl.h>

namespace plat {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// Button ids of the task dialog: the index after this.
constexpr int kFirstButtonId = 100;

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up, not imported: only the common controls 6 export it, which a
// program gets through its manifest; a test program without one still loads.
TaskDialogIndirectFn TaskDialogEntry() {
  HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
  if (!comctl) comctl = ::LoadLibraryW(L"comctl32.dll");
  return comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                      reinterpret_cast<void*>(::GetProcAddress(comctl, "TaskDialogIndirect")))
                : nullptr;
}

// Puts the dialog above every window that is not topmost, as MB_TOPMOST
// does for a message box, and asks for the foreground, which Windows grants
// a program in the background only by flashing its taskbar button.
HRESULT CALLBACK TopmostOnCreate(HWND h, UINT notification, WPARAM, LPARAM, LONG_PTR topmost) {
  if (notification == TDN_CREATED && topmost) {
    ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(h);
  }
  return S_OK;
}

template <class I>
struct ComTraits {
  using Type = I*;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { p->Release(); }
};
template <class I>
using ComPtr = Unique<ComTraits<I>>;

struct CoTaskTextTraits {
  using Type = PWSTR;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { ::CoTaskMemFree(p); }
};

// The calling thread in a single-threaded apartment for as long as this
// lives; a thread already in one is left as it is.
class StaApartment {
 public:
  StaApartment() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    entered_ = SUCCEEDED(hr);  // S_FALSE too: each success is matched by an uninitialise
    usable_ = entered_ || hr == RPC_E_CHANGED_MODE;
  }
  ~StaApartment() {
    if (entered_) ::CoUninitialize();
  }
  StaApartment(const StaApartment&) = delete;
  StaApartment& operator=(const StaApartment&) = delete;
  bool usable() const { return usable_; }

 private:
  bool entered_ = false;
  bool usable_ = false;
};

}  // namespace

std::size_t TaskBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost,
                    std::span<const std::u16string> buttons, std::size_t defaultButton) {
  const std::u16string caption = title.empty() ? AppExeName() : title;
  const std::size_t last = buttons.empty() ? 0 : buttons.size() - 1;
  std::vector<TASKDIALOG_BUTTON> items;
  for (std::size_t i = 0; i < buttons.size(); ++i)
    items.push_back({kFirstButtonId + static_cast<int>(i), W(buttons[i])});
  if (const TaskDialogIndirectFn show = TaskDialogEntry()) {
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = win32::To<HWND>(owner);
    config.hInstance = ::GetModuleHandleW(nullptr);
    config.pszWindowTitle = W(caption);
    config.pszContent = W(prompt);
    config.cButtons = static_cast<UINT>(items.size());
    config.pButtons = items.data();
    config.nDefaultButton = kFirstButtonId + static_cast<int>(defaultButton);
    config.pfCallback = &TopmostOnCreate;
    config.lpCallbackData = topmost ? 1 : 0;
    int pressed = 0;
    if (SUCCEEDED(show(&config, &pressed, nullptr, nullptr))) {
      const int index = pressed - kFirstButtonId;
      return index >= 0 && static_cast<std::size_t>(index) < buttons.size() ? static_cast<std::size_t>(index) : last;
    }
  }
  // No task dialog to be had: a message box whose Yes stands for the first
  // button and No for the last, as its text then says.
  std::u16string text = prompt;
  if (buttons.size() >= 2 && !(buttons[0] == u"Yes" && buttons[last] == u"No"))
    text += u"\r\n\r\nYes: " + buttons[0] + u"\r\nNo: " + buttons[last];
  const UINT style =
      MB_YESNO | (defaultButton != 0 ? MB_DEFBUTTON2 : 0u) | (topmost ? MB_TOPMOST | MB_SETFOREGROUND : 0u);
  return ::MessageBoxW(win32::To<HWND>(owner), W(text), W(caption), style) == IDYES ? 0 : last;
}

std::optional<SaveFileAnswer> SaveFileDialog(const SaveFileRequest& request) {
  const StaApartment apartment;
  if (!apartment.usable()) return std::nullopt;
  ComPtr<IFileSaveDialog> dialog;
  if (FAILED(::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                reinterpret_cast<void**>(dialog.put()))))
    return std::nullopt;

  // The filters' texts live until the dialog has gone.
  std::vector<std::u16string> names, patterns;
  for (const FileType& t : request.types) {
    names.push_back(t.name + u" (*" + t.extension + u")");
    patterns.push_back(u"*" + t.extension);
  }
  std::vector<COMDLG_FILTERSPEC> filters;
  for (std::size_t i = 0; i < names.size(); ++i) filters.push_back({W(names[i]), W(patterns[i])});
  if (!filters.empty()) {
    dialog.get()->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
    dialog.get()->SetFileTypeIndex(static_cast<UINT>(request.type + 1));  // counted from 1
    // Without its dot. Set before the dialog opens, it follows the type the
    // user chooses.
    const std::u16string extension = request.types[request.type].extension.substr(1);
    dialog.get()->SetDefaultExtension(W(extension));
  }
  FILEOPENDIALOGOPTIONS options = 0;
  if (SUCCEEDED(dialog.get()->GetOptions(&options)))
    dialog.get()->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_NOREADONLYRETURN);
  if (!request.title.empty()) dialog.get()->SetTitle(W(request.title));
  dialog.get()->SetFileName(W(request.fileName));
  if (!request.folder.empty()) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(::SHCreateItemFromParsingName(W(request.folder), nullptr, IID_IShellItem,
                                                reinterpret_cast<void**>(folder.put()))))
      dialog.get()->SetFolder(folder.get());
  }

  if (FAILED(dialog.get()->Show(win32::To<HWND>(request.owner)))) return std::nullopt;  // cancelled too
  ComPtr<IShellItem> item;
  if (FAILED(dialog.get()->GetResult(item.put()))) return std::nullopt;
  Unique<CoTaskTextTraits> path;
  if (FAILED(item.get()->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || !path) return std::nullopt;
  UINT type = 1;
  dialog.get()->GetFileTypeIndex(&type);
  SaveFileAnswer answer{std::u16string(reinterpret_cast<const char16_t*>(path.get())),
                        type >= 1 && type <= request.types.size() ? type - 1 : request.type};
  return answer;
}

}  // namespace plat
