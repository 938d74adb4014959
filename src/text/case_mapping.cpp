#include "text/case_mapping.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw::text {

namespace {

// ICU's mapping with two shortcuts, each filled from ICU itself: a table of every code point below U+0800
// (ASCII and the two-byte sequences: Latin, Greek, Cyrillic, Armenian, Hebrew, Arabic), and for the rest of
// the Basic Multilingual Plane pages of 64 code points found caseless on first use (CJK, kana, punctuation),
// whose characters map to themselves. Most text beyond ASCII is made of these, and ICU's lookup per character
// costs several times a table read.
template <UChar32 (*Map)(UChar32)>
class CaseTable {
 public:
  CaseTable() {
    for (char32_t c = 0; c < kTwoByteLimit; ++c) twoByte_[c] = Mapped(c);
  }

  char32_t operator()(char32_t c) const {
    if (c < kTwoByteLimit) return twoByte_[c];
    if (c < kPlaneEnd && IsCaselessPage(c / kPageSize)) return c;
    return Mapped(c);
  }

 private:
  static constexpr char32_t kTwoByteLimit = 0x800;
  static constexpr char32_t kPlaneEnd = 0x10000;
  static constexpr char32_t kPageSize = 64;
  enum PageState : std::uint8_t { kUnknown, kCaseless, kCased };

  static char32_t Mapped(char32_t c) { return static_cast<char32_t>(Map(static_cast<UChar32>(c))); }

  // Scripts may map case on several threads: a page's state is found the same by each, so a race only
  // repeats the work.
  bool IsCaselessPage(char32_t page) const {
    PageState state = pages_[page].load(std::memory_order_relaxed);
    if (state == kUnknown) {
      state = kCaseless;
      for (char32_t c = page * kPageSize; c < (page + 1) * kPageSize; ++c)
        if (Mapped(c) != c) state = kCased;
      pages_[page].store(state, std::memory_order_relaxed);
    }
    return state == kCaseless;
  }

  std::array<char32_t, kTwoByteLimit> twoByte_{};
  mutable std::array<std::atomic<PageState>, kPlaneEnd / kPageSize> pages_{};
};

constexpr std::size_t EncodedLength(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The first byte from `at` on that is not ASCII, or the text's end; eight bytes at a time.
std::size_t NextBeyondAscii(std::string_view text, std::size_t at) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  for (std::uint64_t word = 0; at + sizeof word <= text.size(); at += sizeof word) {
    std::memcpy(&word, text.data() + at, sizeof word);
    if (word & kHighBits) break;
  }
  while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
  return at;
}

template <char (*AsciiMap)(char)>
void MapAscii(std::string_view text, char* out) {
  std::transform(text.begin(), text.end(), out, [](char c) { return AsciiMap(c); });
}

// The mapped rest of text from byte `at` on, written from byte `written` of out, which grows only by the
// few characters whose mapping takes more bytes (U+0250, whose capital U+2C6F takes three).
template <char (*AsciiMap)(char), UChar32 (*Map)(UChar32)>
void MapCaseFrom(std::string_view text, std::size_t at, std::string& out, std::size_t written,
                 const CaseTable<Map>& table) {
  constexpr std::size_t kLongestCharacter = 4;
  out.resize(written + text.size() - at + kLongestCharacter);
  while (at < text.size()) {
    const std::size_t runEnd = NextBeyondAscii(text, at);
    MapAscii<AsciiMap>(text.substr(at, runEnd - at), out.data() + written);
    written += runEnd - at;
    at = runEnd;
    if (at == text.size()) break;
    const Character c = DecodeAt(text, at);
    const char32_t mapped = c.Valid ? table(c.Code) : c.Code;
    // Room for the rest of the text as it stands and one character more, whatever this one's mapping takes.
    if (out.size() - written < text.size() - at + kLongestCharacter) out.resize(out.size() + out.size() / 2);
    if (mapped == c.Code) {  // kept, a stray byte among them
      for (std::size_t i = 0; i < c.Length; ++i) out[written++] = text[at + i];
    } else {
      written += EncodeUtf8(mapped, out.data() + written);
    }
    at += c.Length;
  }
  out.resize(written);
}

// ASCII letters are mapped over the whole text as a block (no byte beyond ASCII is one of them); then the
// characters beyond ASCII, most of which map to themselves or to a character of the same length, are written
// over the copy in place. From the first whose mapping is longer or shorter, the rest is written anew.
template <char (*AsciiMap)(char), UChar32 (*Map)(UChar32)>
std::string MapCase(std::string_view text) {
  static const CaseTable<Map> table;
  std::string out(text.size(), '\0');
  MapAscii<AsciiMap>(text, out.data());
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      at = NextBeyondAscii(text, at + 1);
      continue;
    }
    const Character c = DecodeAt(text, at);
    const char32_t mapped = c.Valid ? table(c.Code) : c.Code;
    if (mapped != c.Code) {
      if (EncodedLength(mapped) != c.Length) {
        MapCaseFrom<AsciiMap>(text, at, out, at, table);
        return out;
      }
      EncodeUtf8(mapped, out.data() + at);
    }
    at += c.Length;
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text) { return MapCase<UpperAsciiChar, u_toupper>(text); }

std::string LowerCase(std::string_view text) { return MapCase<LowerAsciiChar, u_tolower>(text); }

char32_t FoldCase(char32_t c) { return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)); }

}  // namespace tw::text
