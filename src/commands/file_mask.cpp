#include "commands/file_mask.h"

#include <cstddef>

namespace tw {

namespace {

// Bytes of the character that starts at `at`: a whole valid UTF-8 sequence, or one byte.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0xc2 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : lead < 0xf5 ? 4 : 1;
  if (length == 1 || at + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[at + k]) & 0xc0) != 0x80) return 1;
  const auto second = static_cast<unsigned char>(text[at + 1]);
  // Overlong forms, surrogates and code points beyond U+10FFFF are not valid sequences.
  if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) || (lead == 0xf0 && second < 0x90) ||
      (lead == 0xf4 && second >= 0x90))
    return 1;
  return length;
}

// Greedy matching that returns to the last "*" on a mismatch: linear in practice, and never
// worse than mask length times name length.
bool Matches(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0;
  std::size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += CharacterLength(name, n);
    } else if (m < mask.size() && mask[m] == name[n]) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      starName += CharacterLength(name, starName);
      m = starMask;
      n = starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool MaskMatches(std::string_view mask, std::string_view name) {
  if (Matches(mask, name)) return true;
  return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && Matches(mask.substr(0, mask.size() - 2), name);
}

}  // namespace tw
