#include "commands/file_mask.h"

#include <cstddef>

#include "text/utf8.h"

namespace tw {

namespace {

std::size_t CharacterLength(std::string_view text, std::size_t at) { return text::DecodeAt(text, at).Length; }

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
