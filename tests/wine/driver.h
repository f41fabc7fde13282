// Drives Varnel.exe from outside, as a user's tools would: starts it in a
// folder of its own, finds its window and controls, and waits for it to end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// A fresh folder holding a copy of Varnel.exe (and Readme.txt).
std::wstring MakeInstallFolder(const std::wstring& name);
std::optional<std::string> ReadFile(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
std::wstring Environment(const wchar_t* name);

class VarnelProcess {
 public:
  explicit VarnelProcess(const std::wstring& folder);
  ~VarnelProcess();  // ends the process if a test left it running
  VarnelProcess(const VarnelProcess&) = delete;
  VarnelProcess& operator=(const VarnelProcess&) = delete;

  // The main window of this process (waits up to 15 s for it to appear).
  HWND Window();
  // A child control by its caption, e.g. L"&Apply".
  HWND Control(const wchar_t* caption);
  bool WaitForExit(DWORD ms = 15000);
  DWORD ExitCode() const;
  const std::wstring& exe() const { return exe_; }

 private:
  std::wstring exe_;
  PROCESS_INFORMATION pi_{};
  HWND window_ = nullptr;
};

// Posts what the shell posts for a mouse message on the tray icon.
void PostTrayMessage(HWND window, UINT mouseMessage);

// The start-up entry under HKEY_LOCAL_MACHINE, if any.
std::optional<std::string> MachineRunEntry();
void DeleteMachineRunEntry();

}  // namespace e2e
