#include "text/utf8.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tw::text {

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xc0) == 0x80; }

unsigned char ByteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

}  // namespace

Character DecodeAt(std::string_view text, std::size_t at) {
  const unsigned char b0 = ByteAt(text, at);
  if (b0 < 0x80) return {b0, 1, true};
  const std::size_t left = text.size() - at;
  const Character stray{b0, 1, false};
  if (b0 >= 0xc2 && b0 <= 0xdf) {
    if (left < 2 || !IsContinuation(ByteAt(text, at + 1))) return stray;
    return {static_cast<char32_t>(((b0 & 0x1fu) << 6) | (ByteAt(text, at + 1) & 0x3fu)), 2, true};
  }
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  if (b0 >= 0xe0 && b0 <= 0xef) {
    if (left < 3) return stray;
    const unsigned char b1 = ByteAt(text, at + 1);
    const unsigned char low = b0 == 0xe0 ? 0xa0 : 0x80;
    const unsigned char high = b0 == 0xed ? 0x9f : 0xbf;
    if (b1 < low || b1 > high || !IsContinuation(ByteAt(text, at + 2))) return stray;
    return {static_cast<char32_t>(((b0 & 0x0fu) << 12) | ((b1 & 0x3fu) << 6) | (ByteAt(text, at + 2) & 0x3fu)), 3,
            true};
  }
  if (b0 >= 0xf0 && b0 <= 0xf4) {
    if (left < 4) return stray;
    const unsigned char b1 = ByteAt(text, at + 1);
    const unsigned char low = b0 == 0xf0 ? 0x90 : 0x80;
    const unsigned char high = b0 == 0xf4 ? 0x8f : 0xbf;
    if (b1 < low || b1 > high || !IsContinuation(ByteAt(text, at + 2)) || !IsContinuation(ByteAt(text, at + 3)))
      return stray;
    return {static_cast<char32_t>(((b0 & 0x07u) << 18) | ((b1 & 0x3fu) << 12) | ((ByteAt(text, at + 2) & 0x3fu) << 6) |
                                  (ByteAt(text, at + 3) & 0x3fu)),
            4, true};
  }
  return stray;
}

namespace {

// The length of the valid sequence that starts with the non-ASCII byte at p (n bytes left), or 1 for a
// stray byte; the same rules as DecodeAt without building the code point.
inline std::size_t SequenceLength(const unsigned char* p, std::size_t n) {
  const unsigned char b0 = p[0];
  if (b0 >= 0xc2 && b0 <= 0xdf) return n >= 2 && IsContinuation(p[1]) ? 2 : 1;
  if (b0 >= 0xe0 && b0 <= 0xef) {
    if (n < 3 || !IsContinuation(p[2])) return 1;
    const unsigned char low = b0 == 0xe0 ? 0xa0 : 0x80;
    const unsigned char high = b0 == 0xed ? 0x9f : 0xbf;
    return p[1] >= low && p[1] <= high ? 3 : 1;
  }
  if (b0 >= 0xf0 && b0 <= 0xf4) {
    if (n < 4 || !IsContinuation(p[2]) || !IsContinuation(p[3])) return 1;
    const unsigned char low = b0 == 0xf0 ? 0x90 : 0x80;
    const unsigned char high = b0 == 0xf4 ? 0x8f : 0xbf;
    return p[1] >= low && p[1] <= high ? 4 : 1;
  }
  return 1;
}

#if defined(__SSE2__)
// Unsigned bytes of v within [low, high].
inline __m128i InRange(__m128i v, unsigned char low, unsigned char high) {
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i x = _mm_xor_si128(v, flip);
  const __m128i below = _mm_cmplt_epi8(x, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(low)), flip));
  const __m128i above = _mm_cmpgt_epi8(x, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(high)), flip));
  return _mm_andnot_si128(_mm_or_si128(below, above), _mm_set1_epi8(-1));
}

// For the 16 bytes at p, which start at a character boundary: how many bytes from the start hold only
// whole valid characters, up to the last sequence that runs past the block, and how many characters
// those are. Nothing when any of those bytes is not valid UTF-8 (the byte-wise walk then takes them).
struct BlockCharacters {
  int Bytes;
  int Characters;
};
inline bool WholeCharactersIn16(const char* p, BlockCharacters& out) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const int high = _mm_movemask_epi8(v);
  if (high == 0) {
    out = {16, 16};
    return true;
  }
  const int continuations = _mm_movemask_epi8(InRange(v, 0x80, 0xbf));
  const int leads2 = _mm_movemask_epi8(InRange(v, 0xc2, 0xdf));
  const int leads3 = _mm_movemask_epi8(InRange(v, 0xe0, 0xef));
  const int leads4 = _mm_movemask_epi8(InRange(v, 0xf0, 0xf4));
  // The block ends before the first sequence that runs past it.
  const int spilling = ((leads2 | leads3 | leads4) & 0x8000) | ((leads3 | leads4) & 0xc000) | (leads4 & 0xe000);
  const int bytes = spilling ? __builtin_ctz(static_cast<unsigned>(spilling)) : 16;
  const int inside = (1 << bytes) - 1;
  if (high & inside & ~(leads2 | leads3 | leads4 | continuations)) return false;  // a byte no sequence may hold
  // Each lead byte asks for its continuation bytes, all before the block's end, and nothing else may be one.
  const int l2 = leads2 & inside;
  const int l3 = leads3 & inside;
  const int l4 = leads4 & inside;
  const int need = ((l2 | l3 | l4) << 1) | ((l3 | l4) << 2) | (l4 << 3);
  if ((need & ~inside) || ((need ^ continuations) & inside)) return false;
  // The second byte's range after E0, ED, F0 and F4 (overlong forms, surrogates, past U+10FFFF).
  const __m128i before = _mm_slli_si128(v, 1);
  auto after = [&](unsigned char lead) { return _mm_cmpeq_epi8(before, _mm_set1_epi8(static_cast<char>(lead))); };
  const __m128i wrong = _mm_or_si128(
      _mm_or_si128(_mm_and_si128(after(0xe0), InRange(v, 0x80, 0x9f)), _mm_and_si128(after(0xed), InRange(v, 0xa0, 0xbf))),
      _mm_or_si128(_mm_and_si128(after(0xf0), InRange(v, 0x80, 0x8f)), _mm_and_si128(after(0xf4), InRange(v, 0x90, 0xbf))));
  if (_mm_movemask_epi8(wrong) & inside) return false;
  out = {bytes, bytes - __builtin_popcount(static_cast<unsigned>(continuations & inside))};
  return true;
}
#endif

// Steps over up to `count` characters from byte `at`; returns where it stopped and lowers count by
// the characters passed. Blocks of whole valid characters go sixteen bytes at a time.
std::size_t Walk(std::string_view text, std::size_t at, std::size_t& count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  while (count > 0 && at < size) {
#if defined(__SSE2__)
    BlockCharacters block{};
    if (count >= 16 && at + 16 <= size && WholeCharactersIn16(text.data() + at, block)) {
      at += static_cast<std::size_t>(block.Bytes);
      count -= static_cast<std::size_t>(block.Characters);
      continue;
    }
#endif
    const std::size_t until = at + 16 < size ? at + 16 : size;
    while (count > 0 && at < until) {
      at += bytes[at] < 0x80 ? 1 : SequenceLength(bytes + at, size - at);
      --count;
    }
  }
  return at < size ? at : size;
}

}  // namespace

std::size_t CharacterCount(std::string_view text) {
  std::size_t left = text.size();  // never fewer bytes than characters
  Walk(text, 0, left);
  return text.size() - left;
}

std::size_t SkipCharacters(std::string_view text, std::size_t from, std::size_t count) {
  return Walk(text, from, count);
}

std::size_t StartOfLastCharacters(std::string_view text, std::size_t count) {
  // Far from the end, two forward walks in blocks beat one backward walk byte by byte.
  if (count > 64) {
    const std::size_t total = CharacterCount(text);
    return count >= total ? 0 : SkipCharacters(text, 0, total - count);
  }
  std::size_t at = text.size();
  while (count > 0 && at > 0) {
    --count;
    if (ByteAt(text, at - 1) < 0x80 || !IsContinuation(ByteAt(text, at - 1))) {
      --at;
      continue;
    }
    // A continuation byte ends a valid sequence only when the lead byte before it decodes to exactly this span.
    std::size_t lead = at - 1;
    while (lead > 0 && at - lead < 4 && IsContinuation(ByteAt(text, lead))) --lead;
    const Character c = DecodeAt(text, lead);
    at = c.Valid && lead + c.Length == at ? lead : at - 1;
  }
  return at;
}

namespace {

constexpr std::size_t kMarkSpacing = 4096;

// The bytes of text[from, to) that are not continuation bytes.
std::size_t LeadBytes(std::string_view text, std::size_t from, std::size_t to) {
  std::size_t leads = 0;
#if defined(__SSE2__)
  const __m128i lastContinuation = _mm_set1_epi8(static_cast<char>(0xbf));
  for (; from + 16 <= to; from += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    // As signed bytes, continuation bytes are the lowest: -128 to -65.
    leads += static_cast<std::size_t>(
        __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, lastContinuation)))));
  }
#endif
  for (; from < to; ++from) leads += IsContinuation(ByteAt(text, from)) ? 0 : 1;
  return leads;
}

// Steps over `count` characters from the character start `at` in a plain stretch that ends at `end` and
// holds at least that many characters after `at`: where the next lead byte after the ones passed lies.
std::size_t SkipLeadBytes(std::string_view text, std::size_t at, std::size_t count, std::size_t end) {
  std::size_t wanted = count + 1;  // the lead byte sought, counting the one at `at` as the first
#if defined(__SSE2__)
  const __m128i lastContinuation = _mm_set1_epi8(static_cast<char>(0xbf));
  for (; at + 16 <= end; at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    auto leads = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, lastContinuation)));
    const auto found = static_cast<std::size_t>(__builtin_popcount(leads));
    if (found < wanted) {
      wanted -= found;
      continue;
    }
    while (--wanted > 0) leads &= leads - 1;
    return at + static_cast<std::size_t>(__builtin_ctz(leads));
  }
#endif
  for (; at < end; ++at)
    if (!IsContinuation(ByteAt(text, at)) && --wanted == 0) return at;
  return end;
}

}  // namespace

void CharacterMarks::Extend(std::string_view text, std::size_t bytes, std::size_t characters) {
  // A mark needs three bytes after it, so that the walk up to it cannot change as the text grows.
  if (text.size() < 3) return;
  const std::size_t last = text.size() - 3;
  while (marks_.back().At < bytes && marks_.back().Characters < characters) {
    const Mark from = marks_.back();
    const std::size_t target = from.At + kMarkSpacing;
    if (target > last) return;
    std::size_t at = from.At;
    std::size_t passed = 0;
    // A character takes at most four bytes, so a quarter of the bytes left never walks more than
    // three bytes past the target.
    while (at < target) {
      const std::size_t step = (target - at + 3) / 4;
      std::size_t count = step;
      at = Walk(text, at, count);
      passed += step - count;
    }
    if (at > last) return;
    // A stray continuation byte is a character of its own; any other byte that starts no character lies
    // inside a sequence, whose first byte is no continuation byte.
    marks_.back().Plain = LeadBytes(text, from.At, at) == passed;
    marks_.push_back({at, from.Characters + passed});
  }
}

std::size_t CharacterMarks::CountBefore(std::string_view text, std::size_t bytes) {
  if (bytes > text.size()) bytes = text.size();
  if (bytes == text.size() && bytes == countedBytes_) return countedCharacters_;
  if (marks_.empty()) marks_.push_back({0, 0});
  Extend(text, bytes, static_cast<std::size_t>(-1));
  // The last mark at or before the byte: the walk of the cut text passes it with the same count.
  auto mark =
      std::upper_bound(marks_.begin(), marks_.end(), bytes, [](std::size_t at, const Mark& m) { return at < m.At; });
  --mark;
  std::size_t count = 0;
  const auto next = mark + 1;
  // Inside a plain stretch, a cut at a character start counts the lead bytes before it.
  if (mark->Plain && next != marks_.end() && next->At <= text.size() &&
      (bytes == next->At || !IsContinuation(ByteAt(text, bytes))))
    count = mark->Characters + LeadBytes(text, mark->At, bytes);
  else
    count = mark->Characters + CharacterCount(text.substr(mark->At, bytes - mark->At));
  if (bytes == text.size()) {
    countedBytes_ = bytes;
    countedCharacters_ = count;
  }
  return count;
}

std::size_t CharacterMarks::Skip(std::string_view text, std::size_t count, std::size_t from, std::size_t before) {
  if (marks_.empty()) marks_.push_back({0, 0});
  Extend(text, static_cast<std::size_t>(-1), count);
  auto mark = std::upper_bound(marks_.begin(), marks_.end(), count,
                               [](std::size_t n, const Mark& m) { return n < m.Characters; });
  --mark;
  while (mark->At > text.size()) --mark;
  const auto next = mark + 1;
  std::size_t at = mark->At;
  std::size_t passed = mark->Characters;
  if (before > passed && before <= count) {  // the given start lies after the mark, before the next one
    at = from;
    passed = before;
  }
  if (mark->Plain && next != marks_.end() && next->At <= text.size() && count <= next->Characters)
    return SkipLeadBytes(text, at, count - passed, next->At);
  return SkipCharacters(text, at, count - passed);
}

bool IsCharacterStart(std::string_view text, std::size_t at) {
  if (at == 0 || at >= text.size() || !IsContinuation(ByteAt(text, at))) return true;
  std::size_t lead = at - 1;
  while (lead > 0 && at - lead < 3 && IsContinuation(ByteAt(text, lead))) --lead;
  const Character c = DecodeAt(text, lead);
  return !(c.Valid && lead + c.Length > at);
}

std::string_view FirstCharacter(std::string_view text) {
  return text.empty() ? text : text.substr(0, DecodeAt(text, 0).Length);
}

std::size_t EncodeUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xc0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3f));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xe0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out[2] = static_cast<char>(0x80 | (c & 0x3f));
    return 3;
  }
  out[0] = static_cast<char>(0xf0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3f));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
  out[3] = static_cast<char>(0x80 | (c & 0x3f));
  return 4;
}

void AppendUtf8(std::string& out, char32_t c) {
  char bytes[4];
  out.append(bytes, EncodeUtf8(c, bytes));
}

std::string Utf8(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

namespace {
// 0x81, 0x8d, 0x8f, 0x90 and 0x9d are unassigned in Windows-1252 and stand for themselves.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                           0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
}  // namespace

char32_t FromWindows1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xa0 ? kWindows1252High[byte - 0x80] : byte;
}

int ToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xa0 && c <= 0xff)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kWindows1252High[i] == c) return 0x80 + i;
  return -1;
}

std::u32string DecodeUtf8OrWindows1252(std::string_view text) {
  std::u32string out;
  for (std::size_t at = 0; at < text.size();) {
    const Character c = DecodeAt(text, at);
    out.push_back(c.Valid ? c.Code : FromWindows1252(static_cast<unsigned char>(c.Code)));
    at += c.Length;
  }
  return out;
}

}  // namespace tw::text
