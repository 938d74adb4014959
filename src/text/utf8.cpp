#include "text/utf8.h"

#include <cstring>

namespace tw::text {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

bool IsContinuation(unsigned char b) { return (b & 0xc0) == 0x80; }

unsigned char ByteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

// True when the eight bytes from `at` are all ASCII.
bool EightAscii(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return (word & kHighBits) == 0;
}

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

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  std::size_t at = 0;
  const std::size_t size = text.size();
  while (at < size) {
    while (at + 8 <= size && EightAscii(text.data() + at)) {
      at += 8;
      count += 8;
    }
    if (at >= size) break;
    at += ByteAt(text, at) < 0x80 ? 1 : DecodeAt(text, at).Length;
    ++count;
  }
  return count;
}

std::size_t SkipCharacters(std::string_view text, std::size_t from, std::size_t count) {
  std::size_t at = from;
  const std::size_t size = text.size();
  while (count > 0 && at < size) {
    if (count >= 8 && at + 8 <= size && EightAscii(text.data() + at)) {
      at += 8;
      count -= 8;
      continue;
    }
    at += ByteAt(text, at) < 0x80 ? 1 : DecodeAt(text, at).Length;
    --count;
  }
  return at < size ? at : size;
}

std::size_t StartOfLastCharacters(std::string_view text, std::size_t count) {
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

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
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
