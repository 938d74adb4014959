// Statements and control flow through whole scripts.

#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RecordingHost;
using test::RunCases;
using test::RunScript;
using test::ScriptCase;

TEST(Statements, LoopsRunAndLeaveAsWritten) {
  const ScriptCase cases[] = {
      {"for runs three times and keeps the limit", "for i = 1 to 3\nprint i\nendfor\nprint i",
       "1\n2\n3\n3\n", ""},
      {"for with a limit below the start skips", "for i = 3 to 1\nprint i\nendfor\nprint \"after\"",
       "after\n", ""},
      {"exitfor leaves only the inner loop",
       "for i = 1 to 2\nfor j = 1 to 5\nif j = 2 then\nexitfor\nendif\nprint i + \":\" + j\nendfor\nendfor",
       "1:1\n2:1\n", ""},
      {"exitfor after a nested loop leaves the outer loop",
       "for i = 1 to 5\nfor j = 1 to 1\nendfor\nexitfor\nendfor\nprint i", "1\n", ""},
      {"while until false runs the line after endwhile",
       "n = 0\nwhile n < 3\nn = n + 1\nendwhile\nprint n", "3\n", ""},
      {"exitwhile", "n = 0\nwhile 1 = 1\nn = n + 1\nif n = 4 then\nexitwhile\nendif\nendwhile\nprint n",
       "4\n", ""},
      {"nested while", "i = 0\nwhile i < 2\nj = 0\nwhile j < 2\nprint i; j\nj = j + 1\nendwhile\ni = i + 1\nendwhile",
       "00\n01\n10\n11\n", ""},
      {"for variable changed to text", "for i = 1 to 3\ni = \"x\"\nendfor", "",
       ErrorAt("'x' is not a valid integer value", 3)},
  };
  RunCases(cases);
}

TEST(Statements, ConditionsAndBranches) {
  const ScriptCase cases[] = {
      {"if then else", "x = 2\nif x > 1 then\nprint \"big\"\nelse\nprint \"small\"\nendif", "big\n", ""},
      {"else branch", "x = 0\nif x > 1 then\nprint \"big\"\nelse\nprint \"small\"\nendif", "small\n", ""},
      {"nested if in a skipped branch",
       "if 1 = 2 then\nif 1 = 1 then\nprint \"a\"\nelse\nprint \"b\"\nendif\nelse\nprint \"c\"\nendif", "c\n", ""},
      {"statements after then are passed over", "a = 1\nif a = 1 then print \"x\"\nprint \"y\"", "y\n", ""},
      {"no precedence between and and or",
       "a = 1\nb = 2\nc = 3\nd = 4\nif a < b or a = b and c = d then\nprint \"t\"\nelse\nprint \"f\"\nendif",
       "f\n", ""},
      {"every comparison operator",
       "if 1 <> 2 and 1 <= 1 and 2 >= 1 and 2 > 1 and 1 < 2 and 1 = 1 then\nprint \"ok\"\nendif", "ok\n", ""},
      {"caseof runs only the first true branch",
       "x = 2\ncaseof\ncase x = 2\nprint \"a\"\ncase x > 1\nprint \"b\"\notherwise\nprint \"c\"\nendcase\nprint \"d\"",
       "a\nd\n", ""},
      {"caseof otherwise", "x = 9\ncaseof\ncase x = 1\nprint \"a\"\notherwise\nprint \"c\"\nendcase", "c\n", ""},
      {"case with a colon", "x = 1\ncaseof\ncase x = 1: print \"one\"\nendcase", "one\n", ""},
      {"nested caseof in a skipped branch",
       "x = 1\ncaseof\ncase x = 2\ncaseof\ncase 1 = 1\nprint \"inner\"\nendcase\ncase x = 1\nprint \"outer\"\nendcase",
       "outer\n", ""},
      {"case colon after a variable reads a label", "a = 1\nb = 1\ncaseof\ncase a = b:\nendcase", "",
       ErrorAt("Syntax Error", 4)},
  };
  RunCases(cases);
}

TEST(Statements, JumpsAndLabels) {
  const ScriptCase cases[] = {
      {"goto skips and runs the label's line", "goto there\nprint \"no\"\nthere: print \"yes\"", "yes\n", ""},
      {"gosub and return", "gosub show\nprint \"back\"\nend\nshow:\nprint \"in\"\nreturn", "in\nback\n", ""},
      {"goto loop", "n = 0\nagain:\nn = n + 1\nif n < 3 then\ngoto again\nendif\nprint n", "3\n", ""},
      {"labels are case-insensitive", "goto Done\nprint 1\ndone:\nprint 2", "2\n", ""},
      {"end stops the run", "print 1\nend\nprint 2", "1\n", ""},
      {"main code after a definition never runs",
       "print 1\nsub s()\nprint 2\nendsub\nprint 3", "1\n", ""},
  };
  RunCases(cases);
}

TEST(Statements, SubsAndFunctions) {
  const ScriptCase cases[] = {
      {"function result", "print f()\nend\nfunc f()\nresult = 5\nendfunc", "5\n", ""},
      {"function without result", "print f()\nend\nfunc f()\nx = 1\nendfunc", "0\n", ""},
      {"by-reference parameter", "x = 1\ns(x)\nprint x\nend\nsub s(&b)\nb = b + 41\nendsub", "42\n", ""},
      {"by-value parameter", "x = 1\ns(x)\nprint x\nend\nsub s(b)\nb = 7\nendsub", "1\n", ""},
      {"missing arguments read 0", "s(1)\nend\nsub s(a, b)\nprint a; \"/\"; b\nendsub", "1/0\n", ""},
      {"arguments arrive as text", "s(2 + 3)\nend\nsub s(a)\nprint a + \"!\"\nendsub", "5!\n", ""},
      {"recursion", "print fact(5)\nend\nfunc fact(n)\nif n < 2 then\nresult = 1\nelse\nresult = n * fact(n - 1)\nendif\nendfunc",
       "120\n", ""},
      {"twenty nested calls are allowed", "print depth(1)\nend\nfunc depth(n)\nresult = n\nif n < 20 then\nresult = depth(n + 1)\nendif\nendfunc",
       "20\n", ""},
      {"the twenty-first is not", "print depth(1)\nend\nfunc depth(n)\nresult = depth(n + 1)\nendfunc", "",
       ErrorAt("Maximum Recursive Level of 20 has been Reached", 4)},
      {"a second definition is ignored", "s()\nend\nsub s()\nprint 1\nendsub\nsub s()\nprint 2\nendsub", "1\n", ""},
      {"locals are the call's own", "x = 1\ns()\nprint x\nend\nsub s()\nx = 2\nendsub", "1\n", ""},
      {"globals are shared", "global g\ng = 1\ns()\nprint g\nend\nsub s()\ng = g + 1\nendsub", "2\n", ""},
      {"prefixed names are global", "s()\nprint _globalcount\nend\nsub s()\n_globalcount = 3\nendsub", "3\n", ""},
      {"end inside a function ends the run", "s()\nprint \"no\"\nend\nsub s()\nend\nendsub", "", ""},
      {"a sub written after the code that calls it", "print twice(4)\nend\nfunction twice(v)\nresult = v * 2\nendfunc",
       "8\n", ""},
      // Each call starts as a new one, whatever the call before it left behind.
      {"a call sees no locals of the call before", "x = f(1)\nx = f(2)\nend\nfunc f(a)\nprint a; \" \"; seen\nseen = a\nendfunc",
       "1 0\n2 0\n", ""},
      {"noerror of one call does not reach the next",
       "x = f()\nprint \"between\"\nx = g()\nprint \"never\"\nend\nfunc f()\nnoerror(1)\nendfunc\nfunc g()\nresult = 1 * \"x\"\nendfunc",
       "between\n", ErrorAt("Could not convert variant of type (String) into type (Double)", 10)},
      {"a call inside the arguments of a call", "print f(f(1), f(f(2), 3))\nend\nfunc f(a, b)\nresult = a * 10 + b\nendfunc",
       "303\n", ""},
  };
  RunCases(cases);
}

TEST(Statements, VariablesStatementsAndArrays) {
  const ScriptCase cases[] = {
      {"clear drops locals", "x = 5\nclear\nprint x", "0\n", ""},
      {"names ignore case", "MyVar = 3\nprint myvar", "3\n", ""},
      {"dotted and dollar names are names", "my.var = 1\na$ = 2\nprint my.var + a$", "3\n", ""},
      {"print separators", "print \"a\", \"b\"; \"c\" + \"d\"", "a     bcd\n", ""},
      {"print alone", "print", "\n", ""},
      {"comments and blank lines", "' a comment\n   \n  ' indented comment\nprint 1", "1\n", ""},
      {"varbyname", "abc = 7\nn = \"abc\"\nprint varbyname(n)", "7\n", ""},
  };
  RunCases(cases);
}

TEST(Statements, EveryStatementErrorIsReportedWithItsLine) {
  const ScriptCase cases[] = {
      {"unknown symbol", "x = 1\n; what", "", ErrorAt("Unknown Command or Symbol", 2)},
      {"assignment without =", "x 5", "", ErrorAt("Unknown Command or Symbol", 1)},
      {"print with a bad separator", "print \"a\" \"b\"", "", ErrorAt("Syntax Error", 1)},
      {"print with a trailing separator", "print \"a\",", "", ErrorAt("Syntax Error", 1)},
      {"print of a failing expression", "print 1 / 0", "", ErrorAt("Syntax Error", 1)},
      {"input without a comma", "input \"name\"", "", ErrorAt("Syntax Error", 1)},
      {"for with a bad variable", "for 1 = 1 to 2\nendfor", "", ErrorAt("Syntax Error", 1)},
      {"for without =", "for i 1 to 2\nendfor", "", ErrorAt("Missing \"=\"", 1)},
      {"for without to", "for i = 1 2\nendfor", "", ErrorAt("Missing TO", 1)},
      {"for with a bad start", "for i = \"a\" to 2\nendfor", "", ErrorAt("Invalid Value", 1)},
      {"for with a bad limit", "for i = 1 to \"z\"\nendfor", "", ErrorAt("Invalid Value", 1)},
      {"endfor without for", "endfor", "", ErrorAt("ENDFOR/EXITFOR without FOR", 1)},
      {"exitfor without for", "exitfor", "", ErrorAt("ENDFOR/EXITFOR without FOR", 1)},
      {"exitwhile without while", "exitwhile", "", ErrorAt("ENDWHILE/EXITWHILE without WHILE", 1)},
      {"endwhile without while", "x = 1\nendwhile", "", ErrorAt("ENDWHILE without WHILE", 2)},
      {"goto a missing label", "goto Nowhere", "", ErrorAt("Label not found Nowhere", 1)},
      {"gosub a missing label", "gosub nowhere", "", ErrorAt("GOSUB Error", 1)},
      {"return without gosub", "return", "", ErrorAt("RETURN without GOSUB", 1)},
      {"stray endsub", "print 1\nendsub", "1\n", ErrorAt("ENDSUB/ENDFUNC without SUB/FUNC.", 2)},
      {"caseof not alone", "caseof x", "", ErrorAt("Syntax Error", 1)},
      {"case outside caseof", "case 1 = 1", "", ErrorAt("Syntax Error", 1)},
      {"otherwise outside caseof", "otherwise", "", ErrorAt("Syntax Error", 1)},
      {"duplicate labels across a sub", "a:\ns()\nend\nsub s()\na:\nendsub", "", ErrorAt("Duplicate Labels", 5)},
      {"unbalanced parenthesis", "x = (1 + 2", "", ErrorAt("Unbalanced \"(\" or \")\"", 1)},
      {"function without parenthesis", "x = varbyname", "", ErrorAt("Unbalanced \"(\" or \")\"", 1)},
      {"no primary", "x = * 2", "", ErrorAt("Syntax Error", 1)},
      {"an argument missing at the end of the script", "x = mid(\"abc\", 1", "", ErrorAt("Invalid Expression", 1)},
      {"bad comparison symbol", "x = 1\nif x >> 1 then\nendif", "", ErrorAt("Invalid Comparison symbols", 2)},
      {"uncomparable values", "if \"a\" = 1 then\nendif", "", ErrorAt("Invalid Comparison", 1)},
      {"missing connective", "if 1 = 1 nor 2 = 2 then\nendif", "", ErrorAt("Missing \"and\" or \"or\"", 1)},
      {"bad output mode", "output(3)", "", ErrorAt("Invalid Value", 1)},
      {"only the first error is shown", "x = 1 / 0\ny = 1 / 0", "", ErrorAt("Floating point division by zero", 1)},
  };
  RunCases(cases);
}

TEST(Statements, HeaderLinesDoNotCountInErrorPositions) {
  auto run = RunScript("#description: demo\n#hotkey: Ctrl+A\n\nx = 1\nendwhile");
  ASSERT_EQ(run.Errors.size(), 1u);
  EXPECT_EQ(run.Errors[0], ErrorAt("ENDWHILE without WHILE", 3));
}

TEST(Statements, NoErrorLetsTheScriptGoOn) {
  const ScriptCase cases[] = {
      {"noerror", "noerror(1)\nx = 1 / 0\nprint \"went on\"\nendwhile\nnoerror(0)\nprint \"and on\"\nendfor",
       "went on\nand on\n", ErrorAt("ENDFOR/EXITFOR without FOR", 7)},
  };
  RunCases(cases);
}

TEST(Statements, SyntaxCheckReadsEveryLineOnceAndRunsNothing) {
  const ScriptCase cases[] = {
      {"prints nothing and follows no loop", "print 1\nfor i = 1 to 3\nprint i\nendfor\ngoto skip\nprint 2\nskip:\nend\nprint 3",
       "", ""},
      {"finds a missing label", "if 1 = 2 then\ngoto nowhere\nendif", "", ErrorAt("Label not found nowhere", 2)},
      {"finds an error in a sub body", "end\nsub s()\nx = (1\nendsub", "", ErrorAt("Unbalanced \"(\" or \")\"", 3)},
      {"finds an unclosed definition", "sub s()\nprint 1", "", ErrorAt("ENDSUB/ENDFUNC without SUB/FUNC.", 2)},
      {"finds a stray endfunc", "endfunc", "", ErrorAt("ENDSUB/ENDFUNC without SUB/FUNC.", 1)},
  };
  RunCases(cases, true);
}

TEST(Statements, PrintAndInputGoThroughTheHost) {
  RecordingHost host;
  host.InputAnswers = {std::string("  Ada  "), std::nullopt};
  auto run = RunScript(
      "name = \"preset\"\ninput \"Your name?\", name\nprint name\n_endoncancel = 0\ninput \"Again?\", name\n"
      "print name\n_endoncancel = 1\nprint \"cancel me\"\nprint \"never\"",
      &host);
  host.PrintAnswers = {};
  EXPECT_EQ(host.InputPrompts, (std::vector<std::string>{"Your name?", "Again?"}));
  EXPECT_EQ(host.InputPresets, (std::vector<std::string>{"preset", "Ada"}));
  EXPECT_EQ(run.Output, "Ada\nAda\ncancel me\nnever\n");  // every print was confirmed
  RecordingHost cancelling;
  cancelling.PrintAnswers = {true, false};
  auto cancelled = RunScript("print 1\nprint 2\nprint 3", &cancelling);
  EXPECT_EQ(cancelled.Output, "1\n2\n");
  RecordingHost keepsGoing;
  keepsGoing.PrintAnswers = {false};
  auto continued = RunScript("_endoncancel = 0\nprint 1\nprint 2", &keepsGoing);
  EXPECT_EQ(continued.Output, "1\n2\n");
}

TEST(Statements, ConsoleModeSendsPrintsAndErrorsToTheConsole) {
  RecordingHost host;
  auto run = RunScript("output(2)\nprint \"line\"\noutput(2)\nx = 1 / 0", &host);
  EXPECT_EQ(host.ConsoleOpened, 2);
  EXPECT_TRUE(host.Prints.empty());
  EXPECT_EQ(host.ConsoleLines,
            (std::vector<std::string>{"line", ErrorAt("Floating point division by zero", 4)}));
}

TEST(Statements, AHostStopEndsATightLoopAtOnce) {
  RecordingHost host;
  tw::TBasicInterpreter interpreter(host);
  int pumpsAfterStop = -1;
  host.OnPump = [&] {
    if (pumpsAfterStop >= 0) {
      ++pumpsAfterStop;
      return;
    }
    if (host.Pumps == 3) {
      interpreter.StopScript();
      pumpsAfterStop = 0;
    }
  };
  interpreter.SetScriptText("n = 0\nwhile 1 = 1\nn = n + 1\nendwhile\nprint \"not reached\"", "test.tws");
  interpreter.Run(0);
  // The stop arrives at the third chance the host gets, and nothing runs after it.
  EXPECT_EQ(pumpsAfterStop, 0);
  EXPECT_TRUE(host.Prints.empty());
  EXPECT_TRUE(host.ScriptErrors.empty());
  EXPECT_TRUE(tw::TBasicInterpreter::StopRequested);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(Statements, AnUnwritableErrorLogShowsItsOwnMessage) {
  RecordingHost host;
  auto run = test::RunScript("errorlog(\"/dev/full\")\nx = 1 / 0\nprint \"not reached\"", &host);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(run.ErrorBoxes, (std::vector<std::string>{"Error Writing to a log file"}));
  EXPECT_EQ(run.Output, "");
}

TEST(Statements, KeywordListsFollowTheTables) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  interpreter.RegisterCommand("Send");
  interpreter.RegisterFunction("WinExists");
  interpreter.RegisterBlock("Dialog", "EndDialog");
  const std::string keywords = interpreter.GetKeywords();
  EXPECT_EQ(keywords.rfind(" and or true false empty result  print  input  if ", 0), 0u);
  EXPECT_NE(keywords.find(" end  send  abs "), std::string::npos);
  EXPECT_NE(keywords.find(" version  winexists  dialog  enddialog "), std::string::npos);
  const std::string all = interpreter.GetAllCommands();
  EXPECT_EQ(all.rfind("COMMANDS:\r\nprint\r\ninput\r\n", 0), 0u);
  EXPECT_NE(all.find("end\r\nsend\r\n\r\nFUNCTIONS:\r\nabs\r\nallcommands\r\n"), std::string::npos);
  EXPECT_EQ(all.substr(all.size() - 20), "version\r\nwinexists\r\n");
  // A registered block is stepped over whole when nobody runs it.
  interpreter.SetScriptText("dialog\nprint \"inside\"\nenddialog\nprint \"after\"", "test.tws");
  interpreter.Run(0);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"after"}));
}

}  // namespace
}  // namespace tw
