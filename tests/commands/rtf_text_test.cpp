// The RTF reader on small hand-written documents: each case shows one rule of what text a document holds.

#include <gtest/gtest.h>

#include <string>

#include "commands/rtf_text.h"

namespace tw {
namespace {

struct RtfCase {
  const char* name;
  std::string document;
  std::string text;
};

TEST(RtfText, DocumentsGiveTheTextTheyShow) {
  const std::string fonts = "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset161 Greek Font;}"
                            "{\\f2\\fcharset204 Cyr;}{\\f3\\ftech\\fcharset2 Symbol;}{\\f4\\fcharset128 MS Mincho;}}";
  const RtfCase cases[] = {
      {"no RTF comes back as it is", "plain {text}\\par\r\n", "plain {text}\\par\r\n"},
      {"paragraphs, no break after the last", "{\\rtf1\\ansi Hello\\par World\\par\r\n}", "Hello\r\nWorld"},
      {"line breaks in the source are no text", "{\\rtf1 Hel\r\nlo\nthere}", "Hellothere"},
      {"breaks and tabs", "{\\rtf1 a\\line b\\tab c\\cell d\\row e\\sect f\\page g}", "a\r\nb\tc\td\r\ne\r\nf\r\ng"},
      {"escaped symbols", "{\\rtf1 \\{x\\}\\\\ a\\~b\\_c\\-d}", "{x}\\ a\u00a0b\u2011cd"},
      {"named characters", "{\\rtf1 \\ldblquote q\\rdblquote\\emdash\\bullet}", "\u201cq\u201d\u2014\u2022"},
      {"a control word ends at a space it takes", "{\\rtf1\\b bold\\b0  plain}", "bold plain"},
      {"\\'hh in the document's code page", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", "При"},
      {"\\'hh in Windows-1252 by default", "{\\rtf1\\ansi \\'e9\\'80\\'93}", "é€“"},
      {"raw bytes in the code page too", "{\\rtf1\\ansi\\ansicpg1253 \xe1\xe2}", "αβ"},
      {"the font's \\fcharset before \\ansicpg",
       "{\\rtf1\\ansi\\ansicpg1251\\deff0" + fonts + "\\'e9{\\f1 \\'e1}\\f2 \\'e9\\plain\\'e9}", "éαйé"},
      {"a multi-byte page keeps its two-byte characters whole",
       "{\\rtf1\\ansi" + fonts + "\\f4 \\'82\\'a0\\'82\\'a2x\\f0 \\'e9}", "あいxé"},
      {"the Symbol font", "{\\rtf1" + fonts + "\\f3 a\\'b7\\u61623 ?}", "α••"},
      {"\\u with its one fallback byte", "{\\rtf1 \\u1055?\\u1088?x}", "Прx"},
      {"\\uc0 and \\uc2", "{\\rtf1\\uc0 \\u1055 x{\\uc2 \\u1088\\'3f\\'3fy}\\u1080?}", "Пxрyи?"},
      {"a fallback counts a control word as one", "{\\rtf1\\uc2 \\u1055\\'e0\\tab z}", "Пz"},
      {"negative \\u values", "{\\rtf1 \\u-3913?\\u-1?}", "\uf0b7\uffff"},
      {"surrogate pairs, and halves alone", "{\\rtf1 \\u-10179?\\u-8704? \\u-10179?x\\u-8704?}", "😀 \ufffdx\ufffd"},
      {"\\bin data is skipped", "{\\rtf1 a\\bin4 {}\\\\b}", "ab"},
      {"hidden text", "{\\rtf1 a{\\v hidden}b\\v c\\v0 d}", "abd"},
      {"tables and destinations hold no text",
       "{\\rtf1" + fonts +
           "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}{\\author A}}"
           "{\\*\\generator Writer;}{\\*\\unknown u}{\\header H}{\\footer F}{\\pict\\pngblip 0102}"
           "{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'02\\'00.;}}}}body}",
       "body"},
      {"field results stay, instructions go",
       "{\\rtf1 see {\\field{\\*\\fldinst { HYPERLINK \"http://x\" }}{\\fldrslt {link}}} end}", "see link end"},
      {"a field result marked with \\*", "{\\rtf1 {\\field{\\*\\fldinst {PAGE}}{\\*\\fldrslt 7}}}", "7"},
      {"list numbers written for plain readers stay", "{\\rtf1{\\listtext 1.\\tab}one\\par}", "1.\tone"},
      {"unbalanced: the text read until the end", "{\\rtf1 a{\\b b", "ab"},
      {"what follows the document's group is no RTF", "{\\rtf1 a}b", "a"},
  };
  for (const RtfCase& c : cases) EXPECT_EQ(RtfToText(c.document), c.text) << c.name;
}

TEST(RtfText, UnreadableDocumentsSayWhy) {
  const auto failure = [](const std::string& document) {
    try {
      RtfToText(document);
    } catch (const RtfError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  std::string deep = "{\\rtf1 ";
  deep.append(100000, '{');
  EXPECT_EQ(failure(deep), "groups nested more than 4096 deep at byte 4102");
  EXPECT_EQ(failure("{\\rtf1 a\\bin20 abc}"), "\\bin20 data at byte 15 runs past the end of the document");
  // As deep as allowed is still read.
  std::string nested = "{\\rtf1 ";
  nested.append(kRtfMaxGroupDepth - 1, '{');
  nested += "x";
  nested.append(kRtfMaxGroupDepth, '}');
  EXPECT_EQ(RtfToText(nested), "x");
}

}  // namespace
}  // namespace tw
