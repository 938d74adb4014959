#include "text/text_search.h"

#include <algorithm>

#include "text/case_mapping.h"
#include "text/utf8.h"

namespace tw::text {

namespace {

// A character folded for comparison; a stray byte stays apart from every real character.
char32_t FoldedCharacter(const Character& c) { return c.Valid ? FoldCase(c.Code) : 0x110000 + c.Code; }

// A text as folded characters, with the byte offset of each and of the end.
struct FoldedText {
  explicit FoldedText(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
      const Character c = DecodeAt(text, at);
      characters.push_back(FoldedCharacter(c));
      offsets.push_back(at);
      at += c.Length;
    }
    offsets.push_back(text.size());
  }
  std::vector<char32_t> characters;
  std::vector<std::size_t> offsets;
};

Match FindExactFrom(std::string_view haystack, std::string_view needle, std::size_t from) {
  for (;;) {
    const std::size_t at = haystack.find(needle, from);
    if (at == std::string_view::npos) return {};
    if (IsCharacterStart(haystack, at) && IsCharacterStart(haystack, at + needle.size())) return {at, needle.size()};
    from = at + 1;
  }
}

// From the character with index `from` on.
Match FindFoldedFrom(const FoldedText& haystack, const FoldedText& needle, std::size_t from) {
  const auto begin = haystack.characters.begin() + static_cast<std::ptrdiff_t>(from);
  const auto found = std::search(begin, haystack.characters.end(), needle.characters.begin(), needle.characters.end());
  if (found == haystack.characters.end()) return {};
  const auto first = static_cast<std::size_t>(found - haystack.characters.begin());
  const std::size_t end = haystack.offsets[first + needle.characters.size()];
  return {haystack.offsets[first], end - haystack.offsets[first]};
}

}  // namespace

Match FindExact(std::string_view haystack, std::string_view needle) { return FindExactFrom(haystack, needle, 0); }

Match FindIgnoringCase(std::string_view haystack, std::string_view needle) {
  return FindFoldedFrom(FoldedText(haystack), FoldedText(needle), 0);
}

std::vector<Match> FindAll(std::string_view haystack, std::string_view needle, bool ignoreCase) {
  std::vector<Match> matches;
  if (needle.empty()) return matches;
  if (!ignoreCase) {
    for (Match m = FindExactFrom(haystack, needle, 0); m.At != std::string_view::npos;
         m = FindExactFrom(haystack, needle, m.At + m.Length))
      matches.push_back(m);
    return matches;
  }
  const FoldedText text(haystack), wanted(needle);
  for (std::size_t from = 0;;) {
    const Match m = FindFoldedFrom(text, wanted, from);
    if (m.At == std::string_view::npos) return matches;
    matches.push_back(m);
    from = static_cast<std::size_t>(
        std::lower_bound(text.offsets.begin(), text.offsets.end(), m.At + m.Length) - text.offsets.begin());
  }
}

}  // namespace tw::text
