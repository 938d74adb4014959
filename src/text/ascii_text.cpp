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

}  // namespace tw
