#include "text/case_mapping.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw::text {

namespace {

// ICU's mapping with shortcuts, each filled from ICU itself. Code points of the Basic Multilingual Plane
// (which hold the one-, two- and three-byte sequences) come in pages of 64, each with a table of how far each
// character's mapping lies from it; the pages below U+0800 (ASCII, Latin, Greek, Cyrillic, Armenian, Hebrew,
// Arabic) are filled at once, the others on first use, and a caseless page (CJK, kana, punctuation) shares
// one table of zeros. The two-byte sequences also keep the bytes of their mappings, to be copied as they are.
// Pages beyond only remember whether they are caseless (emoji). Most text beyond ASCII is made of these, and
// ICU's lookup per character costs several times a table read.
template <UChar32 (*Map)(UChar32)>
class CaseTable {
 public:
  static constexpr char32_t kPageSize = 64;
  using Offsets = std::array<std::int32_t, kPageSize>;

  CaseTable() {
    for (char32_t page = 0; page < kTwoBytePages; ++page) FillBmpPage(page);
    for (char32_t c = 0x80; c < 0x800; ++c) {
      const char32_t mapped = (*this)(c);
      if (mapped < 0x80 || mapped >= 0x800) continue;
      const std::array<unsigned char, 2> bytes{static_cast<unsigned char>(0xc0 | (mapped >> 6)),
                                               static_cast<unsigned char>(0x80 | (mapped & 0x3f))};
      std::memcpy(&twoByteSequences_[c], bytes.data(), bytes.size());
    }
  }
  ~CaseTable() {
    for (auto& page : bmpPages_) {
      const Offsets* offsets = page.load(std::memory_order_relaxed);
      if (offsets != &kNoChange) delete offsets;
    }
  }
  CaseTable(const CaseTable&) = delete;
  CaseTable& operator=(const CaseTable&) = delete;

  char32_t operator()(char32_t c) const {
    if (c < kPlaneEnd) return c + static_cast<char32_t>(BmpPage(c / kPageSize)[c % kPageSize]);
    if (IsCaselessPage(c / kPageSize)) return c;
    return Mapped(c);
  }

  // The two bytes of the mapping of a character from U+0080 to U+07FF as they lie in memory, or 0 when the
  // mapping takes one or three bytes.
  std::uint16_t TwoByteSequence(char32_t c) const { return twoByteSequences_[c]; }

  // How far the mapping of each character of a page of the Basic Multilingual Plane lies from it.
  const Offsets& BmpPage(char32_t page) const {
    const Offsets* offsets = bmpPages_[page].load(std::memory_order_acquire);
    return offsets ? *offsets : FillBmpPage(page);
  }

 private:
  static constexpr char32_t kTwoBytePages = 0x800 / kPageSize;
  static constexpr char32_t kPlaneEnd = 0x10000;
  static constexpr char32_t kCodeEnd = 0x110000;
  static constexpr Offsets kNoChange{};
  enum PageState : std::uint8_t { kUnknown, kCaseless, kCased };

  static char32_t Mapped(char32_t c) { return static_cast<char32_t>(Map(static_cast<UChar32>(c))); }

  // Scripts may map case on several threads: a page is found the same by each, and the first to finish
  // publishes its table; the others drop theirs.
  const Offsets& FillBmpPage(char32_t page) const {
    auto offsets = std::make_unique<Offsets>();
    bool cased = false;
    for (char32_t i = 0; i < kPageSize; ++i) {
      const char32_t c = page * kPageSize + i;
      (*offsets)[i] = static_cast<std::int32_t>(Mapped(c)) - static_cast<std::int32_t>(c);
      if ((*offsets)[i] != 0) cased = true;
    }
    const Offsets* published = cased ? offsets.release() : &kNoChange;
    const Offsets* expected = nullptr;
    if (bmpPages_[page].compare_exchange_strong(expected, published, std::memory_order_acq_rel)) return *published;
    if (published != &kNoChange) delete published;
    return *expected;
  }

  // A race repeats the work.
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

  std::array<std::uint16_t, 0x800> twoByteSequences_{};
  mutable std::array<std::atomic<const Offsets*>, kPlaneEnd / kPageSize> bmpPages_{};
  mutable std::array<std::atomic<PageState>, kCodeEnd / kPageSize> pages_{};
};

constexpr std::size_t EncodedLength(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The first byte from `at` on that is not ASCII, or the text's end; sixteen or eight bytes at a time.
inline std::size_t NextBeyondAscii(std::string_view text, std::size_t at) {
#if defined(__SSE2__)
  for (; at + 16 <= text.size(); at += 16) {
    const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at)));
    if (high != 0) return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
  }
#else
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  for (std::uint64_t word = 0; at + sizeof word <= text.size(); at += sizeof word) {
    std::memcpy(&word, text.data() + at, sizeof word);
    if (word & kHighBits) break;
  }
#endif
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

// Maps the character beyond ASCII at `in` (`left` bytes from there to the text's end) over its copy at `out`
// when its mapping takes as many bytes as it does. Gives the bytes it takes, or 0 when its mapping takes more
// or fewer. Two- and three-byte sequences are decoded here, by the same rules as DecodeAt, and written back
// whether they change or not (cheaper than telling); four-byte sequences and stray bytes go the general way.
template <UChar32 (*Map)(UChar32)>
inline std::size_t MapInPlace(const unsigned char* in, std::size_t left, char* out, const CaseTable<Map>& table) {
  constexpr unsigned char kContinuationMask = 0xc0;
  constexpr unsigned char kContinuation = 0x80;
  const unsigned char b0 = in[0];
  if (b0 >= 0xc2 && b0 <= 0xdf && left >= 2 && (in[1] & kContinuationMask) == kContinuation) {
    const std::uint16_t sequence = table.TwoByteSequence((b0 & 0x1fu) << 6 | (in[1] & 0x3fu));
    if (sequence == 0) return 0;
    std::memcpy(out, &sequence, sizeof sequence);
    return 2;
  }
  if (b0 >= 0xe0 && b0 <= 0xef && left >= 3) {
    const unsigned char b1 = in[1];
    // The second byte's range rules out overlong forms and surrogates.
    const bool valid = (b1 & kContinuationMask) == kContinuation && (in[2] & kContinuationMask) == kContinuation &&
                       !(b0 == 0xe0 && b1 < 0xa0) && !(b0 == 0xed && b1 > 0x9f);
    if (valid) {
      const char32_t page = (b0 & 0x0fu) << 6 | (b1 & 0x3fu);
      const char32_t mapped = (page << 6 | (in[2] & 0x3fu)) + static_cast<char32_t>(table.BmpPage(page)[in[2] & 0x3f]);
      if (mapped - 0x800 >= 0x10000 - 0x800) return 0;
      out[0] = static_cast<char>(0xe0 | (mapped >> 12));
      out[1] = static_cast<char>(0x80 | ((mapped >> 6) & 0x3f));
      out[2] = static_cast<char>(0x80 | (mapped & 0x3f));
      return 3;
    }
  }
  const Character c = DecodeAt(std::string_view(reinterpret_cast<const char*>(in), left), 0);
  const char32_t mapped = c.Valid ? table(c.Code) : c.Code;
  if (mapped == c.Code) return c.Length;
  if (EncodedLength(mapped) != c.Length) return 0;
  EncodeUtf8(mapped, out);
  return c.Length;
}

// ASCII letters are mapped over the whole text as a block (no byte beyond ASCII is one of them); then the
// characters beyond ASCII, most of which map to themselves or to a character of the same length, are written
// over the copy in place. From the first whose mapping is longer or shorter, the rest is written anew.
template <char (*AsciiMap)(char), UChar32 (*Map)(UChar32)>
std::string MapCase(std::string_view text) {
  static const CaseTable<Map> table;
  std::string out(text.size(), '\0');
  MapAscii<AsciiMap>(text, out.data());
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    if (in[at] < 0x80) {
      at = NextBeyondAscii(text, at + 1);
      continue;
    }
    const std::size_t length = MapInPlace(in + at, text.size() - at, out.data() + at, table);
    if (length == 0) {
      MapCaseFrom<AsciiMap>(text, at, out, at, table);
      return out;
    }
    at += length;
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text) { return MapCase<UpperAsciiChar, u_toupper>(text); }

std::string LowerCase(std::string_view text) { return MapCase<LowerAsciiChar, u_tolower>(text); }

char32_t FoldCase(char32_t c) { return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)); }

}  // namespace tw::text
