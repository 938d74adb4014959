#include "text/case_mapping.h"

#include <unicode/uchar.h>

#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw::text {

namespace {

template <typename AsciiMap, typename UnicodeMap>
std::string MapCase(std::string_view text, AsciiMap ascii, UnicodeMap unicode) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80) {
      out += ascii(static_cast<char>(b));
      ++at;
      continue;
    }
    const Character c = DecodeAt(text, at);
    if (c.Valid)
      AppendUtf8(out, static_cast<char32_t>(unicode(static_cast<UChar32>(c.Code))));
    else
      out += static_cast<char>(b);
    at += c.Length;
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text) {
  return MapCase(text, UpperAsciiChar, [](UChar32 c) { return u_toupper(c); });
}

std::string LowerCase(std::string_view text) {
  return MapCase(text, LowerAsciiChar, [](UChar32 c) { return u_tolower(c); });
}

char32_t FoldCase(char32_t c) { return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)); }

}  // namespace tw::text
