// The highlighter's line rules, with the words of a real test interpreter.

#include "editor/script_styler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/tarnwick_basic.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"

namespace tw::editor {
namespace {

// Tokens as "k:print s:\"a\"": one letter for the style and the token's text; white space left out.
std::string Render(std::string_view line, const std::vector<StyledToken>& tokens) {
  static constexpr char kLetters[] = " csnkiob";
  std::string out;
  std::size_t covered = 0;
  for (const StyledToken& token : tokens) {
    EXPECT_EQ(token.Start, covered) << "tokens must cover the line";
    covered = token.Start + token.Length;
    if (token.Style == TokenStyle::WhiteSpace) continue;
    if (!out.empty()) out += ' ';
    out += kLetters[static_cast<int>(token.Style)];
    out += ':';
    out += line.substr(token.Start, token.Length);
  }
  EXPECT_EQ(covered, line.size()) << "tokens must cover the line";
  return out;
}

class ScriptStylerTest : public ::testing::Test {
 protected:
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic library{host, desktop};

  // Styles the lines in turn, from outside any block; one rendered line each.
  std::vector<std::string> Style(const ScriptStyler& styler, const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    std::vector<StyledToken> tokens;
    LineState state = LineState::Code;
    for (const std::string& line : lines) {
      state = styler.StyleLine(line, state, tokens);
      out.push_back(Render(line, tokens));
    }
    return out;
  }
  std::string StyleOne(const std::string& line) { return Style(ScriptStyler(library), {line}).front(); }
};

TEST_F(ScriptStylerTest, TokensOfALine) {
  const struct {
    const char* line;
    const char* tokens;
  } cases[] = {
      {"if a <= b then", "k:if i:a o:<= i:b k:then"},
      {"if a<>b then", "k:if i:a o:<> i:b k:then"},
      {"x = a >= b", "i:x o:= i:a o:>= i:b"},
      {"x = a >< b", "i:x o:= i:a o:> o:< i:b"},
      {"d = #1/2/03# + 1", "i:d o:= s:#1/2/03# o:+ n:1"},
      {"n = 1.5E3*2", "i:n o:= n:1.5E3 o:* n:2"},
      {"print \"open string 'not a comment", "k:print s:\"open string 'not a comment"},
      {"print \"a\"+\"b\" ' two \"strings\"", "k:print s:\"a\" o:+ s:\"b\" c:' two \"strings\""},
      {"d = #12/31", "i:d o:= s:#12/31"},
      {"Print PRINT print", "k:Print k:PRINT k:print"},
      {"x_1 = _delay + _EndOnCancel", "i:x_1 o:= k:_delay o:+ k:_EndOnCancel"},
      {"x = a@b", "i:x o:= i:a i:@ i:b"},
      {"\tx\x01=y", "i:x o:= i:y"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StyleOne(c.line), c.tokens) << c.line;
}

TEST_F(ScriptStylerTest, ABlockIsPaintedWholeUpToTheLineThatEndsIt) {
  const ScriptStyler styler(library);
  EXPECT_EQ(Style(styler, {"text t", "print \"x\" ' inside", "  EndText  ", "print 1"}),
            (std::vector<std::string>{"k:text b: t", "b:print \"x\" ' inside", "k:EndText", "k:print n:1"}));
  EXPECT_EQ(Style(styler, {"macro", "{enter}", "endmacro", "x = 1"}),
            (std::vector<std::string>{"k:macro", "b:{enter}", "k:endmacro", "i:x o:= n:1"}));
  EXPECT_EQ(Style(styler, {"dialog", "enddialog", "print"}),
            (std::vector<std::string>{"k:dialog", "k:enddialog", "k:print"}));
  // A comment after the last word still ends the block, as it does when the script runs.
  EXPECT_EQ(Style(styler, {"dialog", "enddialog 'done", "print"}),
            (std::vector<std::string>{"k:dialog", "k:enddialog c:'done", "k:print"}));
  // An empty line keeps the block open; a later end word in the middle of a line does not end it.
  EXPECT_EQ(Style(styler, {"string s", "", "x = endstring", "endstring"}),
            (std::vector<std::string>{"k:string b: s", "", "b:x = endstring", "k:endstring"}));
}

TEST_F(ScriptStylerTest, ACommandRegisteredOnTheInterpreterIsBoldAndNothingElseChanges) {
  const std::vector<std::string> lines = {"frobnicate 1, \"a\" ' note", "x = frobnicatex + frob"};
  const std::vector<std::string> before = Style(ScriptStyler(library), lines);
  EXPECT_EQ(before[0], "i:frobnicate n:1 o:, s:\"a\" c:' note");
  library.RegisterCommand("Frobnicate");
  const std::vector<std::string> after = Style(ScriptStyler(library), lines);
  EXPECT_EQ(after[0], "k:frobnicate n:1 o:, s:\"a\" c:' note");
  EXPECT_EQ(after[1], before[1]);
}

TEST_F(ScriptStylerTest, ABlockRegisteredOnTheInterpreterColoursLikeTheOthers) {
  library.RegisterBlock("notes", "endnotes");
  EXPECT_EQ(Style(ScriptStyler(library), {"notes", "print", "endnotes", "print"}),
            (std::vector<std::string>{"k:notes", "b:print", "k:endnotes", "k:print"}));
}

}  // namespace
}  // namespace tw::editor
