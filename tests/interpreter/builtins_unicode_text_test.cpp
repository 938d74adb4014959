// Text functions count and cut characters of UTF-8 text: Latin, Greek, CJK and emoji (four-byte
// sequences); a byte outside a valid sequence counts as one character and stays as it is.

#include "interpreter/builtin_test_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

// One expression per case, printed between brackets so that empty text shows.
struct Expression {
  const char* script;
  const char* printed;
};

void RunExpressions(const char* group, std::initializer_list<Expression> expressions) {
  for (const Expression& e : expressions) {
    const std::string script = std::string("print \"[\"; ") + e.script + "; \"]\"";
    const ScriptCase cases[] = {{group, script, std::string("[") + e.printed + "]\n", ""}};
    SCOPED_TRACE(e.script);
    RunCases(cases);
  }
}

TEST(UnicodeText, LengthsAndCutsCountCharacters) {
  RunExpressions("cuts", {
      {"length(\"Zoë Müller\")", "10"},
      {"length(\"Αθήνα\")", "5"},
      {"length(\"東京都\")", "3"},
      {"length(\"a😀b\")", "3"},
      {"length(\"a\xFF" "b\")", "3"},                // a stray byte is one character
      {"length(\"\xE2\x82\")", "2"},                 // a cut-off sequence is two stray bytes
      {"length(\"x\" + chr(0) + \"y\")", "3"},
      {"left(\"Zoë Müller\", 3)", "Zoë"},
      {"right(\"Zoë Müller\", 6)", "Müller"},
      {"mid(\"Zoë Müller\", 3, 3)", "ë M"},
      {"mid(\"東京都\", 2, 1)", "京"},
      {"left(\"a😀b\", 2)", "a😀"},
      {"right(\"a😀b\", 2)", "😀b"},
      {"mid(\"a😀b\", 4, 1)", ""},
      {"mid(\"a\xFF" "b\", 2, 1)", "\xFF"},
      {"right(\"\xF0\x9F\x98\", 1)", "\x98"},
      {"right(\"\xC3\xA9\x80\", 2)", "é\x80"},
      {"left(\"Αθήνα\", 100)", "Αθήνα"},
  });
}

TEST(UnicodeText, FindCountsCharactersAndNeverMatchesInsideOne) {
  RunExpressions("find", {
      {"find(\"Zoë Müller\", \"Müller\")", "5"},
      {"pos(\"東京都\", \"都\")", "3"},
      {"find(\"a😀b\", \"b\")", "3"},
      {"find(\"a\xFF" "b\", \"b\")", "3"},
      {"find(\"€\", \"\xAC\")", "0"},                 // the last byte of the euro sign is no character here
      {"find(\"€x\", \"\xE2\x82\")", "0"},
      {"find(\"Zoë\", \"Ë\")", "0"},
      {"find(\"Zoë\", \"Ë\", 1)", "3"},
      {"find(\"ΑΘΉΝΑ\", \"θή\", 1)", "2"},
      {"find(\"xſy\", \"S\", 1)", "2"},               // folding that changes the byte length
      {"find(\"\xFF" "a\", \"A\", 1)", "2"},
  });
}

TEST(UnicodeText, PadsCountCharactersAndPadWithAWholeCharacter) {
  RunExpressions("pads", {
      {"leftpad(\"ë\", 3, \"·\")", "··ë"},
      {"rightpad(\"Zoë\", 5, \".\")", "Zoë.."},
      {"leftpad(\"7\", 3, \"€uro\")", "€€7"},
      {"rightpad(\"東京\", 2, \"-\")", "東京"},
      {"rightpad(\"a\xFF\", 3, \"😀\")", "a\xFF😀"},
  });
}

TEST(UnicodeText, CaseMapsAllOfUnicodeAndKeepsStrayBytes) {
  RunExpressions("case", {
      {"upper(\"zoë\")", "ZOË"},
      {"upper(\"αθήνα\")", "ΑΘΉΝΑ"},
      {"lower(\"ÀÉÎ ΣΟΦΊΑ\")", "àéî σοφία"},
      {"upper(\"straße\")", "STRAßE"},                // simple mapping: one character to one
      {"upper(\"東京😀\")", "東京😀"},
      {"upper(\"a\xFF" "b\")", "A\xFF" "B"},
      {"asc(mid(lower(\"X\" + chr(0) + \"Y\"), 2, 1))", "0"},  // NUL is a character like any other
      {"right(lower(\"X\" + chr(0) + \"Y\"), 1)", "y"},
  });
}

TEST(UnicodeText, AscAndChrKeepWindows1252AndUseCodePointsBeyond) {
  RunExpressions("codes", {
      {"asc(\"é\")", "233"},
      {"chr(233)", "é"},
      {"asc(\"€\")", "128"},
      {"chr(128)", "€"},
      {"chr(8364)", "€"},
      {"chr(150) + chr(159)", "–Ÿ"},
      {"chr(129)", "\xC2\x81"},                       // unassigned in the code page: the control character
      {"asc(\"東\")", "26481"},
      {"chr(128512)", "😀"},
      {"asc(\"😀\")", "128512"},
      {"asc(\"\xFF\")", "255"},                       // a stray byte is its value
      {"asc(chr(0))", "0"},
      {"length(chr(0))", "1"},
  });
  const ScriptCase cases[] = {
      {"asc(chr(n)) = n from 0 to 255",
       "for n = 0 to 255\nif asc(chr(n)) <> n then\nprint n\nendif\nendfor\nprint \"done\"", "done\n", ""},
      {"chr below 0", "x = chr(-1)", "", ErrorAt("Invalid Value", 1)},
      {"chr of a surrogate", "x = chr(55296)", "", ErrorAt("Invalid Value", 1)},
      {"chr past Unicode", "x = chr(1114112)", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(UnicodeText, ParseSplitsAtWholeCharacters) {
  const ScriptCase cases[] = {
      {"a delimiter beyond ASCII", "s = \"Zoë·Müller·Ω\"\nprint parse(s, \"·\")\nprint s", "Zoë\nMüller·Ω\n", ""},
      {"mode 1 folds letters beyond ASCII", "s = \"ÄpfelUNDBirnen\"\nprint parse(s, \"und\", 1)\nprint s",
       "Äpfel\nBirnen\n", ""},
      {"folding that changes the byte length", "s = \"aſb\"\nprint parse(s, \"S\", 1)\nprint s", "a\nb\n", ""},
      {"never inside a character", "s = \"€\"\nprint parse(s, \"\xAC\")\nprint \"[\" + s + \"]\"", "€\n[]\n", ""},
  };
  RunCases(cases);
}

// A long text remembers where its characters lie; the answers must hold after it grows in place,
// also when a sequence cut at its end is completed, and when an argument grows it during the call.
TEST(UnicodeText, LongTextsGiveTheSameAnswersAsTheyGrow) {
  const ScriptCase cases[] = {
      {"a 50 KB text of 32,000 characters",
       "s = \"\"\nfor i = 1 to 2000\ns = s + \"Zoë Müller 東京 😀 \"\nendfor\n"
       "print length(s); \" \"; mid(s, 16001, 3); \" \"; find(s + \"x\", \"x\"); \" \"; length(left(s, 20000))\n"
       "t = s + \"\xE2\x82\"\nprint length(t)\nu = t + \"\xAC\"\nprint length(u); right(u, 2); length(s)\n"
       "print \"[\"; right(s, length(s + \"ab\") - 31999); \"]\"; length(rightpad(u, 32003, \"·\"))",
       "32000 Zoë 32001 20000\n32002\n32001 €32000\n[ 😀 ]32003\n", ""},
  };
  RunCases(cases);
}

}  // namespace
}  // namespace tw
