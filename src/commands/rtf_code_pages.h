#pragma once
// The characters behind the bytes of an RTF document: the Windows code pages its fonts' character sets
// (\fcharset) and its own \ansicpg name, and the symbol fonts, decoded into UTF-8.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tw {

inline constexpr int kWindowsLatin1 = 1252;

// The code page of a font character set (\fcharsetN): 1252 for ANSI (0); 0 for the default set (1), whose
// text is in the document's code page, for the symbol set (2), which has no code page, and for unknown sets.
int CodePageOfCharset(int charset);

// Bytes of one code page, or of a symbol font, into UTF-8.
class CodePageDecoder {
 public:
  // The decoder of a Windows code page (\ansicpg, \cpg); a page this system cannot convert reads as
  // Windows-1252. Decoders live as long as the program.
  static const CodePageDecoder& ForCodePage(int codePage);
  // The Symbol font: its Greek letters and mathematical signs.
  static const CodePageDecoder& SymbolFont();
  // Other fonts of the symbol character set (Wingdings and the like): bytes from 0x80 on read as U+F000 plus
  // the byte, as Windows reads them, since their pictures have no characters of their own.
  static const CodePageDecoder& PrivateSymbols();
  ~CodePageDecoder();

  // Single-byte decoders turn each byte into its character alone; the others need the whole run of bytes.
  bool singleByte() const { return iconvName_.empty(); }
  // The UTF-8 of one byte (single-byte decoders only).
  std::string_view character(unsigned char byte) const { return table_[byte]; }
  // Appends the UTF-8 of a run of bytes; a byte that starts no character of the page reads as U+FFFD.
  void append(std::string_view bytes, std::string& out) const;

 private:
  CodePageDecoder() = default;
  static std::unique_ptr<CodePageDecoder> Make(int codePage);
  std::string table_[256];
  std::string iconvName_;  // multi-byte pages: converted a run at a time
  struct Converter;
  std::unique_ptr<Converter> converter_;
  mutable std::mutex converting_;
};

// A character of the private range a symbol font's text may be written in (\u61623 for its byte 0xB7), as the
// Symbol font shows it; other characters stay.
char32_t SymbolFontCharacter(char32_t c);

}  // namespace tw
