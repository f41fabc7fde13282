// Conversion through the system ANSI code page (CP_ACP).
#include "platform/text.h"

#include "platform/win32/win.h"

namespace plat {

std::string ToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  int n = ::WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, w, len, out.data(), n, nullptr, nullptr);
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int len = static_cast<int>(bytes.size());
  int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), len, nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), len, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

}  // namespace plat
