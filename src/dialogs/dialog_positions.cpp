#include "dialogs/dialog_positions.h"

#include <cstdio>

namespace tw {

std::string DialogPositionKey(std::string_view caption) {
  caption = caption.substr(0, caption.find(" - ["));
  std::string key;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    const bool encode = c == '\r' || c == '\n' || c == '=' || (i == 0 && (c == '[' || c == ';' || c == ' ' || c == '\t'));
    if (!encode) {
      key += c;
      continue;
    }
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
    key += code;
  }
  return key;
}

}  // namespace tw
