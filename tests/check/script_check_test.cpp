// The script check: each kind of warning from a script that makes the mistake once, at the right line
// and about the right word; correct scripts, the examples and the benchmark scripts without any.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "check/script_check.h"
#include "commands/library_names.h"
#include "commands/tarnwick_basic.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// An interpreter that knows every word of the command library but runs none, so that a check of block
// words and commands meets no "not available" error.
struct NamesOnly {
  NamesOnly() {
    for (const LibraryName& function : kLibraryFunctions) interpreter.RegisterFunction(function.Name);
    for (const LibraryName& command : kLibraryCommands) interpreter.RegisterCommand(command.Name);
    for (const LibraryBlock& block : kLibraryBlocks) interpreter.RegisterBlock(block.Start, block.End);
  }
  CheckOutcome Check(std::string_view script) {
    interpreter.SetScriptText(script, "test.tws");
    return CheckScript(interpreter);
  }
  test::RecordingHost host;
  TBasicInterpreter interpreter{host};
};

// "line word" for each warning, in order.
std::vector<std::string> Found(const CheckOutcome& outcome) {
  std::vector<std::string> found;
  for (const CheckWarning& w : outcome.Warnings) found.push_back(std::to_string(w.Line) + " " + w.Word);
  return found;
}

struct Case {
  const char* mistake;
  const char* script;
  std::vector<std::string> warnings;
  const char* message = "";  // a part of the first warning's text
};

TEST(ScriptCheck, EachMistakeIsFoundOnceAtItsLine) {
  const Case cases[] = {
      {"main code after the first definition", "print 1\nsub s()\nendsub\nprint 2\nprint 3\ns()\n", {"4 print"},
       "'print' never runs: a run ends at its first sub or function definition"},
      {"a script that starts with a definition", "sub s()\n  print 1\nendsub\n", {"1 s"},
       "The script starts with the definition of 's', so running it does nothing"},
      {"a misspelt function", "w = focuss(\"xterm\", 2)\nprint w\n", {"1 focuss"},
       "'focuss' is no function: it reads as a variable whose value is \"0\" (did you mean 'focus'?)"},
      {"an if left open", "x = 1\nif x = 1\n  print x\n", {"2 if"}, "'if' without 'endif'"},
      {"a for left open in a sub", "s()\nend\nsub s()\n  for i = 1 to 2\nendsub\n", {"4 for"},
       "'for' without 'endfor' before the end of 's'"},
      {"a while closed by the wrong word", "x = 3\nwhile x > 0\n  x = x - 1\nendfor\nendwhile\n", {"4 endfor"},
       "'endfor' without 'for'"},
      {"a caseof left open", "caseof\ncase 1 = 1\n  print 1\n", {"1 caseof"}},
      {"a closer without opener", "x = 1\nendwhile\n", {"2 endwhile"}},
      {"a case outside caseof (also an error)", "case 1 = 1\nprint 1\n", {"1 case"}},
      {"exitfor outside a loop", "exitfor\n", {"1 exitfor"}, "'exitfor' outside 'for'"},
      {"a text block never closed", "text t\n  some text\nprint t\n", {"1 text"}, "'text' without 'endtext'"},
      {"a macro block never closed", "macro\n  abc\n", {"1 macro"}},
      {"a literal without its closing quote", "print \"hello\n", {"1 \"hello"}},
      {"a jump to a missing label (the first is an error already)", "goto nowhere\ngosub strat\nstart:\n",
       {"2 strat", "3 start"}, "Label 'strat' does not exist (did you mean 'start'?)"},
      {"a label never used", "here:\nprint 1\n", {"1 here"}, "Label 'here' is never used"},
      {"a block word as a variable", "text = \"a\"\n", {"1 text"}, "'text' is a block word and cannot be a variable"},
      {"a statement word as a variable", "clear = 1\n", {"1 clear"}, "'clear' is a statement word and cannot be a variable"},
      {"a function as a loop variable", "for date = 1 to 2\nendfor\n", {"1 date"}},
      {"a command in a comparison (also an error)", "if send = 1 then\nendif\n", {"1 send"}},
      {"a variable only ever read", "count = 1\nprint cout\nprint cout + count\n", {"2 cout"},
       "Variable 'cout' is never assigned, so it reads as \"0\" (did you mean 'count'?)"},
      {"a key name that names no key", "send \"abc{ENTR}{TAB 2}\"\n", {"1 {ENTR}"}, "'{ENTR}' names no key"},
      {"a key name in a macro block", "macro\n  ^a{ENTER}\n  {ESC}{ENTR}\nendmacro\n", {"3 {ENTR}"}},
      {"a statement after then", "x = 1\nif x = 1 then print \"x\"\nendif\n", {"2 print"}},
      {"end if written as two words (also an error)", "x = 1\nif x = 1\nend if\nendif\n", {"3 end if"}},
  };
  for (const Case& c : cases) {
    NamesOnly names;
    const CheckOutcome outcome = names.Check(c.script);
    EXPECT_TRUE(outcome.Loaded) << c.mistake;
    EXPECT_EQ(Found(outcome), c.warnings) << c.mistake;
    if (*c.message && !outcome.Warnings.empty()) {
      EXPECT_EQ(outcome.Warnings[0].Message, c.message) << c.mistake;
    }
  }
}

TEST(ScriptCheck, CorrectScriptsGetNoWarnings) {
  const char* const clean[] = {
      // variables set by every kind of statement, function and block that sets one
      "global total\ninput \"Name?\", name\nfor i = 1 to 3\n  squares[i] = i * i\nendfor\n"
      "line = \"a,b\"\nfirst = parse(line, \",\")\nloadvars(\"settings.txt\", \"cfg\")\nprint cfgwidth\n"
      "swap(a, b)\nprint a + b + name + first + squares[1] + total + _error + _globalshared + _delay\n"
      "text body\n  hello |name|\nendtext\nprint body\nx = setdlgvar(\"chosen\", 1)\nprint chosen\n"
      "end\n\nsub swap(&p, &q)\n  t = p\n  p = q\n  q = t\nendsub\n\nfunc twice(n)\n  result = n * 2\nendfunc\n",
      // control flow in every form, labels reached by goto and gosub, code after definitions reached by a label
      "x = 3\ncaseof\ncase x = 3: print \"three\"\notherwise\n  print x\nendcase\nif x = 3 then\n  print 1\n"
      "else\n  print 2\nendif\nwhile x > 0\n  x = x - 1\n  if x = 1\n    exitwhile\n  endif\nendwhile\n"
      "gosub show\ngoto finish\n\nsub s()\nendsub\n\nfinish:\nprint \"done\"\nend\nshow:\n  print \"shown\"\nreturn\n",
      // keys, arrays, a name used both ways, loadvars without prefix sets anything
      "send \"{ENTER}{TAB 2}~a{{}x{}}\"\nk[1] = 2\nx = k(1)\nprint x\nloadvars(\"all.txt\")\nprint whatever\n",
      // dialogs set the variables their controls name
      "dialog \"Pick\"\n  [Name:    ] person\nenddialog\nprint person\n",
  };
  for (const char* script : clean) {
    NamesOnly names;
    const CheckOutcome outcome = names.Check(script);
    EXPECT_EQ(Found(outcome), std::vector<std::string>{}) << script << "\n"
                                                          << (outcome.Warnings.empty() ? "" : outcome.Warnings[0].Message);
    EXPECT_TRUE(names.host.ScriptErrors.empty()) << script << names.host.ScriptErrors[0];
  }
}

TEST(ScriptCheck, ExampleAndBenchmarkScriptsGetNoWarnings) {
  std::vector<fs::path> scripts;
  // The fuzzers' seeds (tests/fuzz/corpus) end in unfinished code on purpose and are left out.
  for (const char* folder : {"examples", "bench"})
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TW_SOURCE_DIR) / folder))
      if (entry.path().extension() == ".tws") scripts.push_back(entry.path());
  ASSERT_GE(scripts.size(), 6u);
  for (const fs::path& script : scripts) {
    test::RecordingHost host;
    port::fake::FakeDesktop desktop;
    TTarnwickBasic library(host, desktop);
    VariableTable globals;
    library.SetGlobals(&globals);
    library.SetFileName(script.string());
    const CheckOutcome outcome = CheckScript(library);
    EXPECT_TRUE(outcome.Loaded) << script;  // errors are the syntax check's own tests' business
    for (const CheckWarning& warning : outcome.Warnings) ADD_FAILURE() << WarningText(warning);
  }
}

TEST(ScriptCheck, IncludedFilesLendTheirSubsAndGetWarningsUnderTheirOwnName) {
  const fs::path dir = fs::temp_directory_path() / ("script-check-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "lib.tws") << "sub greet(who)\n  print \"hi \" + who + suffix\nendsub\n";
  NamesOnly names;
  names.interpreter.SetIncludeDir(dir.string());
  const CheckOutcome outcome = names.Check("include \"lib.tws\"\ngreet(\"you\")\nprint y\n");
  ASSERT_EQ(outcome.Warnings.size(), 2u);
  EXPECT_EQ(WarningText(outcome.Warnings[0]),
            "[test.tws] Warning: Variable 'y' is never assigned, so it reads as \"0\" on line: 3");
  EXPECT_EQ(outcome.Warnings[1].Module, (dir / "lib.tws").string());
  EXPECT_EQ(outcome.Warnings[1].Line, 2);
  EXPECT_EQ(outcome.Warnings[1].Word, "suffix");
  fs::remove_all(dir);
}

TEST(ScriptCheck, WarningsGoOnPastAnErrorAndNothingRuns) {
  NamesOnly names;
  const CheckOutcome outcome = names.Check("print 1\nfor i = 1 2\nprint cout\nx = msgbox(\"never shown\")\n");
  EXPECT_TRUE(outcome.ErrorFound);
  EXPECT_EQ(names.host.ScriptErrors, std::vector<std::string>{"[test.tws] Error: Missing TO on line: 2"});
  EXPECT_EQ(Found(outcome), (std::vector<std::string>{"2 for", "3 cout"}));
  EXPECT_TRUE(names.host.Prints.empty());
  EXPECT_TRUE(names.host.Messages.empty());
}

}  // namespace
}  // namespace tw
