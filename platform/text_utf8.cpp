// UTF-8 <-> UTF-16, for host paths, messages and test output.
#include "platform/text.h"

namespace plat {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      continue;
    }
    // The lead byte gives the number of bytes that follow and the range of
    // the first of them, which rules out overlong forms and anything past
    // U+10FFFF. Surrogates pass, as ToUtf8 writes a lone one.
    std::size_t extra;
    std::uint32_t c;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0Fu, low = b == 0xE0 ? 0xA0 : 0x80;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07u, low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
      out += u'\uFFFD';
      continue;
    }
    std::size_t taken = 0;
    for (; taken < extra && i < text.size(); ++taken, ++i) {
      const auto next = static_cast<unsigned char>(text[i]);
      if (next < low || next > high) break;
      c = (c << 6) | (next & 0x3Fu);
      low = 0x80, high = 0xBF;
    }
    // A sequence cut short is one U+FFFD; the byte that cut it (a line
    // break, say) is read for itself.
    if (taken < extra) {
      out += u'\uFFFD';
    } else if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    std::uint32_t c = 0, min = 0;
    std::size_t extra = 0;
    if (b < 0x80) {
      c = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
      c = b & 0x1Fu, extra = 1, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0Fu, extra = 2, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      c = b & 0x07u, extra = 3, min = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i <= extra) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3Fu);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    i += extra + 1;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace plat
