#include "port/x11/x11_text.h"

namespace tw::port::x11 {

std::string latin1ToUtf8(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xc0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  return out;
}

std::string utf8ToLatin1(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
    bool valid = length > 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(utf8[i + k]) & 0xc0) == 0x80;
    if (!valid) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    unsigned code = length == 1 ? c : c & (0xff >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
    out += code <= 0xff ? static_cast<char>(code) : '?';
    i += length;
  }
  return out;
}

}  // namespace tw::port::x11
