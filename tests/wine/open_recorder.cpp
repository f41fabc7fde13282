// Stands in for the user's "open" handler in the tests' Wine prefix: appends
// the file it was asked to open to the log named by VARNEL_OPEN_LOG, in
// UTF-8, so that a name in any script arrives whole.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR cmdLine, int) {
  wchar_t log[MAX_PATH];
  if (!GetEnvironmentVariableW(L"VARNEL_OPEN_LOG", log, MAX_PATH)) return 1;
  std::wstring arg = cmdLine;
  if (arg.size() >= 2 && arg.front() == L'"' && arg.back() == L'"') arg = arg.substr(1, arg.size() - 2);
  std::string line(arg.size() * 3, '\0');
  line.resize(
      static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), line.data(),
                                                   static_cast<int>(line.size()), nullptr, nullptr)));
  line += "\r\n";
  HANDLE h = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD n = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
  CloseHandle(h);
  return 0;
}
