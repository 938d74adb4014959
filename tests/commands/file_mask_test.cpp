#include "commands/file_mask.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

struct MaskCase {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(FileMask, MatchesTheWildcardsOfFileMasks) {
  const MaskCase cases[] = {
      // "*" takes any run, also an empty one and one with dots
      {"*", "report.txt", true},
      {"*", ".profile", true},
      {"*.txt", "a.txt", true},
      {"*.txt", ".txt", true},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "a.b.txt", true},
      {"a*b*c", "aXXbYYbZc", true},
      {"a*b*c", "aXXbYYbZ", false},
      {"**x", "x", true},
      // "?" takes exactly one character, a whole UTF-8 sequence
      {"?.txt", "a.txt", true},
      {"?.txt", ".txt", false},
      {"?.txt", "ab.txt", false},
      {"?.txt", "\xc3\xa9.txt", true},
      {"??.txt", "\xc3\xa9.txt", false},
      {"?", "\xf0\x9f\x98\x80", true},
      {"?", "\xc3", true},          // a stray byte is one character
      {"??", "\xc3(", true},
      {"*?", "\xe2\x82\xac", true},
      {"*??", "\xe2\x82\xac", false},
      // letter case is significant
      {"*.TXT", "a.txt", false},
      {"Read*", "readme", false},
      // a mask that ends in ".*" also takes names without that dot
      {"*.*", "Makefile", true},
      {"*.*", "a.tar.gz", true},
      {"*.*", ".hidden", true},
      {"read*.*", "readme", true},
      {"read*.*", "notes", false},
      {"abc.*", "abc", true},
      {"abc.*", "abcd", false},
      // literal text
      {"notes.txt", "notes.txt", true},
      {"notes.txt", "notes.txt2", false},
      {"notes.txt", "notes", false},
      {"", "", true},
      {"", "a", false},
  };
  for (const MaskCase& c : cases)
    EXPECT_EQ(MaskMatches(c.mask, c.name), c.matches) << "mask \"" << c.mask << "\", name \"" << c.name << "\"";
}

TEST(FileMask, ManyStarsOnALongNameStayFast) {
  // Backtracking to the last star only: this would take ages with naive recursion.
  const std::string name(20000, 'a');
  EXPECT_FALSE(MaskMatches("*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(MaskMatches("*a*a*a*a*a*a*a*a*a*a*", name));
}

}  // namespace
}  // namespace tw
