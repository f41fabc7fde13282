// The installer, for real under Wine, in a prefix of its own where Varnel
// was never installed (see tests/wine/fresh-prefix.sh): a silent install, a
// standard user's first run of the installed Varnel.exe with a capture, and
// a silent uninstall that ends the running Varnel through its close request
// and leaves nothing behind but the user's settings and captures.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <map>
#include <vector>

#include "tests/support/win32/driver.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnel";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
std::wstring Widen(const char* s) { return std::wstring(s, s + std::char_traits<char>::length(s)); }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line and waits until it and every process it started have
// ended: an uninstaller hands its work to a copy of itself and returns at
// once. Returns the first process's exit code, or -1 when it did not start.
int RunAndWaitForAll(std::wstring commandLine) {
  // Wine starts the desktop's process for the first window of a session:
  // started now, it is not one of the command's.
  GetDesktopWindow();
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                      &pi)) {
    CloseHandle(job);
    return -1;
  }
  AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  WaitForSingleObject(pi.hProcess, 120000);
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  for (int i = 0; i < 1200; ++i) {
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) ||
        info.ActiveProcesses == 0)
      break;
    Sleep(100);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(job);
  return static_cast<int>(code);
}

// Registry values in the 64-bit view, where the installer writes on 64-bit
// Windows whatever this test's own bitness.
std::optional<std::wstring> RegistryText(HKEY root, const wchar_t* key, const wchar_t* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &k) != 0) return std::nullopt;
  wchar_t buf[1024];
  DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
  const LONG rc = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (rc != 0 || (type != REG_SZ && type != REG_DWORD)) return std::nullopt;
  if (type == REG_DWORD) {
    DWORD number = 0;
    std::memcpy(&number, buf, sizeof number);
    return std::to_wstring(number);
  }
  buf[size / sizeof(wchar_t)] = 0;
  return std::wstring(buf);
}

void SetRegistryText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr) != 0) return;
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

// Task Manager's switch of a start-up entry: 3 in the first byte is off.
void SwitchOff(HKEY root, const wchar_t* name) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, kApprovedKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr) != 0)
    return;
  const BYTE off[12] = {3};
  RegSetValueExW(k, name, 0, REG_BINARY, off, sizeof off);
  RegCloseKey(k);
}

bool HasValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &k) != 0) return false;
  const bool found = RegQueryValueExW(k, name, nullptr, nullptr, nullptr, nullptr) == 0;
  RegCloseKey(k);
  return found;
}

// The machine type in an exe's header, and the one this Windows runs natively.
WORD ExeMachine(const std::wstring& exe) {
  const std::string bytes = e2e::ReadFile(exe).value_or("");
  if (bytes.size() < 0x40) return 0;
  const DWORD at = *reinterpret_cast<const DWORD*>(bytes.data() + 0x3C);
  return at + 6 <= bytes.size() ? *reinterpret_cast<const WORD*>(bytes.data() + at + 4) : 0;
}
WORD NativeMachine() {
  SYSTEM_INFO si;
  GetNativeSystemInfo(&si);
  return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
}

// What Explorer's Properties, Details shows of an exe: its version
// resource's fixed file version (as "1.2.3.4") under the name L"", and its
// strings in US English, Unicode (Varnel's one translation) by name.
std::wstring VersionField(const std::wstring& exe, const std::wstring& name) {
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  void* value = nullptr;
  UINT size = 0;
  if (block.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueW(block.data(), name.empty() ? L"\\" : (L"\\StringFileInfo\\040904b0\\" + name).c_str(), &value,
                      &size) ||
      !value)
    return L"";
  if (!name.empty()) return static_cast<const wchar_t*>(value);
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  const DWORD ms = fixed->dwFileVersionMS, ls = fixed->dwFileVersionLS;
  return std::to_wstring(HIWORD(ms)) + L"." + std::to_wstring(LOWORD(ms)) + L"." + std::to_wstring(HIWORD(ls)) + L"." +
         std::to_wstring(LOWORD(ls));
}

std::wstring CommonPrograms() {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path);
  return path;
}

// Wine ignores the read-only attribute of folders, so the folder's Unix
// permissions change instead, through a Unix chmod (Wine starts Unix
// programs too). The fresh prefix's script has taken away root's right to
// ignore them. True once the folder is as asked, checked by writing a file.
bool MakeWritable(const std::wstring& folder, bool writable) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  char* name = unixName(folder.c_str());
  if (!name) return false;
  std::wstring command = std::wstring(L"/bin/chmod ") + (writable ? L"u+w" : L"a-w") + L" \"" + Widen(name) + L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  // A probe made just before the folder turned read-only may stay behind
  // (its delete-on-close then fails), and would refuse a later CREATE_NEW:
  // so each try has a name of its own, and all go once the folder is
  // writable again.
  auto probe = [&](int i) { return folder + L"\\write-probe-" + std::to_wstring(i); };
  for (int i = 0; i < 50; ++i) {
    HANDLE h = CreateFileW(probe(i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const bool wrote = h != INVALID_HANDLE_VALUE;
    if (wrote) CloseHandle(h);
    if (wrote == writable) {
      for (int k = 0; writable && k < i; ++k) DeleteFileW(probe(k).c_str());
      return true;
    }
    Sleep(100);
  }
  return false;
}

struct Field {
  const wchar_t* name;
  std::wstring value;
};

std::map<std::wstring, std::string> Contents(const std::wstring& folder) {
  std::map<std::wstring, std::string> out;
  for (const auto& name : e2e::FilesIn(folder)) out[name] = e2e::ReadFile(folder + L"\\" + name).value_or("");
  return out;
}

class InstallerE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = e2e::WindowsPath(VARNEL_SETUP_EXE);
    if (!Exists(setup_))
      GTEST_SKIP() << "no installer at " VARNEL_SETUP_EXE
                      ": scripts/package.sh builds it where makensis (Debian package nsis) is installed";
    std::wstring programFiles = e2e::Environment(L"ProgramW6432");
    if (programFiles.empty()) programFiles = e2e::Environment(L"ProgramFiles");
    dir_ = programFiles + L"\\Varnel";
    perUser_ = e2e::UserSettingsFile();
    perUserDir_ = perUser_.substr(0, perUser_.rfind(L'\\'));
    DeleteFileW(perUser_.c_str());
  }
  int Install() { return RunAndWaitForAll(L"\"" + setup_ + L"\" /S"); }
  int Uninstall(const std::wstring& options = L"") {
    return RunAndWaitForAll(L"\"" + dir_ + L"\\Uninstall.exe\" /S" + options);
  }
  std::wstring InstalledExe() const { return dir_ + L"\\Varnel.exe"; }

  std::wstring setup_, dir_, perUserDir_, perUser_;
};

TEST_F(InstallerE2E, InstallFirstRunCaptureAndUninstall) {
  const std::wstring shots = e2e::Environment(L"TEMP") + L"\\varnel-installer-shots";
  CreateDirectoryW(shots.c_str(), nullptr);

  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(e2e::FilesIn(dir_), (std::vector<std::wstring>{L"LICENSE", L"Readme.txt", L"THIRD-PARTY-NOTICES.txt",
                                                           L"Uninstall.exe", L"Varnel.exe"}));
  EXPECT_EQ(ExeMachine(InstalledExe()), NativeMachine());
  EXPECT_TRUE(Exists(CommonPrograms() + L"\\Varnel.lnk"));
  const std::wstring version = Widen(VARNEL_VERSION);
  const Field resource[] = {
      {L"", version + L".0"},
      {L"FileVersion", version},
      {L"ProductVersion", version},
      {L"ProductName", L"Varnel"},
      {L"FileDescription", L"Varnel screen capture"},
      {L"CompanyName", L"the Varnel authors"},
      {L"LegalCopyright", L"Copyright (c) 2026 the Varnel authors"},
      {L"OriginalFilename", L"Varnel.exe"},
  };
  for (const auto& row : resource)
    EXPECT_EQ(VersionField(InstalledExe(), row.name), row.value) << "version resource: " << Narrow(row.name);
  const std::wstring uninstaller = L"\"" + dir_ + L"\\Uninstall.exe\"";
  const Field entry[] = {
      {L"DisplayName", L"Varnel"},
      {L"DisplayVersion", version},
      {L"Publisher", L"the Varnel authors"},
      {L"UninstallString", uninstaller},
      {L"QuietUninstallString", uninstaller + L" /S"},
  };
  for (const auto& row : entry)
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, row.name), row.value)
        << "uninstall entry: " << Narrow(row.name);
  EXPECT_GT(std::stoul(RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize").value_or(L"0")), 1000u)
      << "kilobytes of the installed files";

  // A standard user cannot write into Program Files: Varnel keeps the
  // settings in the per-user file.
  ASSERT_TRUE(MakeWritable(dir_, false)) << "the install folder could not be made read-only";
  {
    e2e::VarnelProcess first(dir_);
    HWND w = first.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsWindowVisible(w)) << "not a first run";
    // The user types a capture folder and presses OK.
    SendMessageW(FindWindowExW(w, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shots.c_str()));
    SendMessageW(first.Control(L"&OK"), BM_CLICK, 0, 0);
    ASSERT_TRUE(e2e::PutPictureOnClipboard(320, 200));
    e2e::PressPrintScreen();
    EXPECT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u) << "no capture landed";
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForExit());
  }
  EXPECT_FALSE(Exists(dir_ + L"\\Varnel.ini"));
  EXPECT_EQ(e2e::ReadFile(perUser_),
            "[main]\r\npath=" + Narrow(shots) + "\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
  // The start-up entry for this user alone.
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kRunKey, L"Varnel"), L"\"" + InstalledExe() + L"\"");
  EXPECT_FALSE(RegistryText(HKEY_LOCAL_MACHINE, kRunKey, L"Varnel"));

  // The uninstaller, run by an administrator with the standard user's
  // Varnel running and a start-up entry of this installation under each
  // root, ends Varnel through its close request.
  SetRegistryText(HKEY_LOCAL_MACHINE, kRunKey, L"Varnel", L"\"" + InstalledExe() + L"\"");
  const auto captures = Contents(shots);
  e2e::VarnelProcess second(dir_);
  ASSERT_NE(second.Window(), nullptr);
  ASSERT_TRUE(MakeWritable(dir_, true));
  EXPECT_EQ(Uninstall(), 0);
  EXPECT_TRUE(second.WaitForExit(0));
  EXPECT_EQ(second.ExitCode(), 0u) << "Varnel did not end by itself";

  EXPECT_FALSE(Exists(dir_)) << "files left: " << e2e::FilesIn(dir_).size();
  EXPECT_FALSE(Exists(CommonPrograms() + L"\\Varnel.lnk"));
  EXPECT_FALSE(RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
  EXPECT_FALSE(RegistryText(HKEY_LOCAL_MACHINE, kRunKey, L"Varnel"));
  EXPECT_FALSE(RegistryText(HKEY_CURRENT_USER, kRunKey, L"Varnel"));
  EXPECT_EQ(Contents(shots), captures);
  EXPECT_TRUE(Exists(perUser_)) << "the settings were not kept";
}

TEST_F(InstallerE2E, RemoveMySettingsTakesBothSettingsFiles) {
  ASSERT_EQ(Install(), 0);
  // An administrator's Varnel keeps its settings beside the exe.
  e2e::WriteFile(dir_ + L"\\Varnel.ini", "[main]\r\nopen=1\r\n");
  CreateDirectoryW(perUserDir_.c_str(), nullptr);
  e2e::WriteFile(perUser_, "[main]\r\nformat=BMP\r\n");
  // Its start-up entry, switched off in Task Manager, with Varnel not running.
  SetRegistryText(HKEY_CURRENT_USER, kRunKey, L"Varnel", L"\"" + InstalledExe() + L"\"");
  SwitchOff(HKEY_CURRENT_USER, L"Varnel");
  EXPECT_EQ(Uninstall(L" /REMOVESETTINGS"), 0);
  EXPECT_FALSE(Exists(dir_));
  EXPECT_FALSE(Exists(perUserDir_));
  EXPECT_FALSE(RegistryText(HKEY_CURRENT_USER, kRunKey, L"Varnel"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kApprovedKey, L"Varnel"));
}

}  // namespace
