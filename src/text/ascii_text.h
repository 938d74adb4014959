#pragma once
// Text helpers that look at ASCII only: names the system compares without regard to letter case (window
// titles, key names, settings keys, keywords) and the trimming of blanks and control characters. Other bytes,
// UTF-8 sequences among them, stay as they are. The helpers on characters and views are inline: the tokenizer
// and the value conversions call them per character.

#include <algorithm>
#include <string>
#include <string_view>

namespace tw {

constexpr char LowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr char UpperAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAsciiChar(x) == LowerAsciiChar(y); });
}

inline bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// text is the keyword in any letter case, for a keyword of lower-case ASCII letters only ("true", "include"):
// only text is folded, by setting the one bit in which the cases of a letter differ. Cheaper than
// EqualsIgnoringAsciiCase, for the value conversions that test a word per call.
inline bool IsKeyword(std::string_view text, std::string_view keyword) {
  if (text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((text[i] | 0x20) != keyword[i]) return false;
  return true;
}

inline bool StartsWithKeyword(std::string_view text, std::string_view keyword) {
  return text.size() >= keyword.size() && IsKeyword(text.substr(0, keyword.size()), keyword);
}

// A letter, digit or underscore: a character of a name in the language, as the editor's aids take names.
constexpr bool IsAsciiNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A blank in the wide sense of script text: space and every control character (bytes up to 32).
constexpr bool IsAsciiBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// text without the blanks and control characters (bytes up to 32) at either end.
inline std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsAsciiBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiBlank(text.back())) text.remove_suffix(1);
  return text;
}

// text without the given characters at either end; other blanks and control characters stay.
inline std::string_view TrimmedOf(std::string_view text, std::string_view characters) {
  const std::size_t first = text.find_first_not_of(characters);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

// text without spaces and tabs at either end: what a command line or a title written by a person loses.
inline std::string_view TrimmedSpacesAndTabs(std::string_view text) { return TrimmedOf(text, " \t"); }

// A one-line value as the tips and the completion list store it: the two characters "\n" become a line break.
std::string WithLineBreaks(std::string_view stored);

}  // namespace tw
