#include "files/file_text.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(CrLfLineBreaks, EveryBreakBecomesCrLfWhereverThePiecesAreCut) {
  const std::string text = "a\r\nb\nc\rd\r\r\ne\n\nf\r";
  const std::string expected = "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf\r\n";
  // Every way of cutting the text in two, and one piece per byte.
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    std::string out;
    CrLfLineBreaks lines(out);
    lines.Append(std::string_view(text).substr(0, cut));
    lines.Append(std::string_view(text).substr(cut));
    EXPECT_EQ(out, expected) << "cut at " << cut;
  }
  std::string out;
  CrLfLineBreaks lines(out);
  for (char c : text) lines.Append(std::string_view(&c, 1));
  EXPECT_EQ(out, expected);
}

TEST(CrLfLineBreaks, TextWithoutBreaksAndAnEndWithoutOneStayAsTheyAre) {
  std::string out;
  CrLfLineBreaks lines(out);
  lines.Append("no break");
  lines.Append("");
  lines.Append(std::string("\0x", 2));
  EXPECT_EQ(out, std::string("no break\0x", 10));
}

}  // namespace
}  // namespace tw
