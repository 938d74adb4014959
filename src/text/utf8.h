#pragma once
// Script text is UTF-8. A character is a valid UTF-8 sequence, or a single byte that is not part of
// one; such a byte counts as one character and is kept as it is, so binary data round-trips.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw::text {

struct Character {
  char32_t Code = 0;        // the code point; for a stray byte, the byte's value
  std::uint8_t Length = 1;  // bytes it takes, 1 to 4
  bool Valid = true;        // false for a byte outside a valid sequence
};

// The character that starts at byte `at` (at < text.size()).
Character DecodeAt(std::string_view text, std::size_t at);

std::size_t CharacterCount(std::string_view text);
// The byte offset reached after stepping over `count` characters from byte `from` (text.size() at most).
std::size_t SkipCharacters(std::string_view text, std::size_t from, std::size_t count);
// The byte offset where the last `count` characters begin (0 when the text has no more than that).
std::size_t StartOfLastCharacters(std::string_view text, std::size_t count);

// Remembers, for a text that only ever grows at its end, how many characters come before some of its
// character starts (one about every 4 KB), so counting and skipping from the start walk at most one
// stretch of the text instead of all of it. Every call must pass the text's bytes from its start, as
// long as they are now; a mark is only set where no later byte can change the walk up to it (a
// sequence is decided by at most three bytes after its first).
class CharacterMarks {
 public:
  // CharacterCount(text.substr(0, bytes)).
  std::size_t CountBefore(std::string_view text, std::size_t bytes);
  // SkipCharacters(text, 0, count). The walk may start from a character start `from` that `before` of
  // the characters precede, when that lies nearer than any mark.
  std::size_t Skip(std::string_view text, std::size_t count, std::size_t from = 0, std::size_t before = 0);

 private:
  struct Mark {
    std::size_t At;          // a character start
    std::size_t Characters;  // characters before it
    // Between this mark and the next, every continuation byte belongs to a valid sequence, so characters
    // start exactly at the bytes that are not continuation bytes, which are counted without decoding.
    bool Plain = false;
  };
  // Sets marks on until one lies at or past byte `bytes` or counts `characters`, or the text runs out.
  void Extend(std::string_view text, std::size_t bytes, std::size_t characters);
  std::vector<Mark> marks_;  // the first, once there is one, is the start
  // The last count of a whole text: asked again as long as the text does not grow.
  std::size_t countedBytes_ = 0;
  std::size_t countedCharacters_ = 0;
};

// False when `at` falls inside a valid multi-byte sequence.
bool IsCharacterStart(std::string_view text, std::size_t at);
// The first character of the text as its own text ("" for empty text).
std::string_view FirstCharacter(std::string_view text);

// Writes the character's one to four bytes at out and gives how many.
std::size_t EncodeUtf8(char32_t c, char* out);
void AppendUtf8(std::string& out, char32_t c);
std::string Utf8(char32_t c);

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9f.
char32_t FromWindows1252(unsigned char byte);
// The Windows-1252 byte of a character of that code page, or -1.
int ToWindows1252(char32_t c);
// The characters of the text: UTF-8 sequences decoded, any other byte taken as Windows-1252.
std::u32string DecodeUtf8OrWindows1252(std::string_view text);

}  // namespace tw::text
