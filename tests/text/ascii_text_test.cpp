// ASCII-only case folding and trimming: bytes beside the letter ranges and beyond ASCII keep their value,
// and each trim strips exactly its own set of characters.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "text/ascii_text.h"

namespace tw {
namespace {

TEST(AsciiText, OnlyAsciiLettersChangeCase) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const bool upper = b >= 'A' && b <= 'Z';
    const bool lower = b >= 'a' && b <= 'z';
    EXPECT_EQ(LowerAsciiChar(c), upper ? static_cast<char>(b + 32) : c) << b;
    EXPECT_EQ(UpperAsciiChar(c), lower ? static_cast<char>(b - 32) : c) << b;
  }
  EXPECT_EQ(LowerAscii("Ünïcode ÄND Text@[`{"), "Ünïcode Änd text@[`{");
  EXPECT_EQ(UpperAscii("straße é"), "STRAßE é");
}

TEST(AsciiText, ComparesIgnoringAsciiCaseOnly) {
  struct Case {
    std::string_view a, b;
    bool equal, startsWith;
  };
  const Case cases[] = {
      {"TRUE", "true", true, true},
      {"Include x", "include", false, true},
      {"inc", "include", false, false},
      {"@", "`", false, false},                // differ only in the bit 0x20
      {"\xC3\x89", "\xC3\xA9", false, false},  // É and é: not ASCII
      {"", "", true, true},
      {"abc", "", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(StartsWithIgnoringAsciiCase(c.a, c.b), c.startsWith) << c.a << " / " << c.b;
  }
  // The cheaper keyword test agrees for a keyword of letters, whatever byte stands in the text.
  for (int b = 0; b < 256; ++b) {
    const std::string text = std::string(1, static_cast<char>(b)) + "RuE";
    EXPECT_EQ(IsKeyword(text, "true"), EqualsIgnoringAsciiCase(text, "true")) << b;
    EXPECT_EQ(StartsWithKeyword(text + " x", "true"), EqualsIgnoringAsciiCase(text, "true")) << b;
  }
  EXPECT_FALSE(IsKeyword("truex", "true"));
  EXPECT_FALSE(StartsWithKeyword("tru", "true"));
}

TEST(AsciiText, EachTrimStripsItsOwnCharacters) {
  struct Case {
    std::string_view text, trimmed, spacesAndTabs;
  };
  const Case cases[] = {
      {"\x01\t x y \r\n", "x y", "\x01\t x y \r\n"},
      {"\t x y \r", "x y", "x y \r"},
      {" \t ", "", ""},
      {"", "", ""},
      {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // a UTF-8 no-break space stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trimmed(c.text), c.trimmed);
    EXPECT_EQ(TrimmedSpacesAndTabs(c.text), c.spacesAndTabs);
  }
  EXPECT_EQ(TrimmedOf("\v\fkey\r", " \t\n\v\f\r"), "key");
}

}  // namespace
}  // namespace tw
