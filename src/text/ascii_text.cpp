#include "text/ascii_text.h"

namespace tw {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAsciiChar(c);
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAsciiChar(c);
  return out;
}

std::string WithLineBreaks(std::string_view stored) {
  std::string text;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\\' && i + 1 < stored.size() && stored[i + 1] == 'n') {
      text += '\n';
      ++i;
    } else {
      text += stored[i];
    }
  }
  return text;
}

}  // namespace tw
