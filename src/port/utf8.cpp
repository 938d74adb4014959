#include "port/utf8.h"

namespace tw::port {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
}

std::string Utf8(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

std::u32string DecodeUtf8OrWindows1252(std::string_view text) {
  // Windows-1252 differs from Latin-1 only in 0x80..0x9f.
  static constexpr char16_t k1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                         0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = length == 1 ? b : length == 2 ? (b & 0x1f) : length == 3 ? (b & 0x0f) : (b & 0x07);
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xc0) == 0x80;
      c = (c << 6) | (next & 0x3f);
    }
    if (valid && length > 1 && (c < (length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u) || c > 0x10ffff))
      valid = false;
    if (!valid) {
      out.push_back(b >= 0x80 && b < 0xa0 ? k1252[b - 0x80] : b);
      ++i;
      continue;
    }
    out.push_back(c);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

}  // namespace tw::port
