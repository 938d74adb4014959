// Variable tables, the assignment rules, the host's variable hook, saved variable files and the
// events a debugger follows.

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/script_cases.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::RunScript;

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("tw-vars-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Variables, AssignmentRulesBetweenGlobalsAndLocals) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  VariableTable globals;
  globals.Add("shared", ScriptValue("g"), false);
  globals.Add("list", ScriptValue("0"), false);
  interpreter.SetGlobals(&globals);
  interpreter.SetVariable("shared", ScriptValue("updated"));        // rule 2: an existing global
  interpreter.SetVariable("List[3]", ScriptValue("element"));       // rule 3: element of a global array
  interpreter.SetVariable("_GlobalNew", ScriptValue("prefixed"));   // rule 1: the global prefix
  interpreter.SetVariable("fresh", ScriptValue("local"));           // rule 4
  interpreter.SetVariable("flagged", ScriptValue("1"), true, true); // rule 1: asked for, read-only
  interpreter.SetVariable("flagged", ScriptValue("2"));             // refused there, so a local
  EXPECT_EQ(globals.Find("shared")->Value.TextView(), "updated");
  EXPECT_EQ(globals.Find("list[3]")->Value.TextView(), "element");
  EXPECT_EQ(globals.Find("_globalnew")->Value.TextView(), "prefixed");
  EXPECT_EQ(interpreter.Locals.Find("fresh")->Value.TextView(), "local");
  EXPECT_EQ(interpreter.GetVariable(" FLAG ged ").TextView(), "1");  // reads look in globals first
  EXPECT_EQ(interpreter.Locals.Find("flagged")->Value.TextView(), "2");
  EXPECT_EQ(interpreter.GetVariable("never").TextView(), "0");
}

TEST(Variables, ConstantsWithoutGlobalsAreLocalAndGoWithClear) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  interpreter.SetScriptText("True = 5\nprint True\nclear\nprint True", "test.tws");
  interpreter.Run(0);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "0"}));
}

TEST(Variables, TheHostHookCanAnswerAndTakeAssignments) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  std::vector<std::string> sets;
  interpreter.OnVariable = [&](TBasicInterpreter&, std::string_view name, bool isSet, ScriptValue& value,
                               bool& handled) {
    if (name == "Hooked") {
      if (isSet) sets.push_back(value.ToText());
      else value = ScriptValue("from host");
      handled = true;
    }
  };
  interpreter.SetScriptText("Hooked = 42\nprint Hooked", "test.tws");
  interpreter.Run(0);
  EXPECT_EQ(sets, (std::vector<std::string>{"42"}));
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"from host"}));
}

TEST(Variables, ExpandVariablesReplacesBarredNames) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  interpreter.SetVariable("name", ScriptValue("Ada"));
  EXPECT_EQ(interpreter.ExpandVariables("Hello | name |!"), "Hello Ada!");
  EXPECT_EQ(interpreter.ExpandVariables("a||b"), "ab");
  EXPECT_EQ(interpreter.ExpandVariables("one | bar"), "one  bar");
  EXPECT_EQ(interpreter.ExpandVariables("|missing|"), "0");
}

TEST(Variables, SaveAndLoadVariablesKeepLineBreaksAndConstants) {
  TempDir dir;
  const std::string file = dir.File("vars.txt");
  auto run = RunScript("x = 7\nprint savevars(\"" + file + "\")\nprint savevars(\"" + dir.File("none.txt") +
                       "\", \"zz\")");
  // A value with a line break, and a line that tries to overwrite a constant.
  std::ofstream(file, std::ios::binary) << "note=one\\n\\two\r\ntrue=5\r\nprefixed=p\r\n";
  auto loaded = RunScript("print loadvars(\"" + file + "\")\nprint note\nprint True\nprint savevars(\"" + file +
                          "\", \"NO\")\nprint loadvars(\"" + dir.File("absent.txt") + "\")");
  EXPECT_EQ(run.Output, "1\n0\n");
  EXPECT_FALSE(fs::exists(dir.File("none.txt")));
  EXPECT_EQ(loaded.Output, "1\none\r\ntwo\n1\n1\n0\n");
  EXPECT_EQ(ReadFile(file), "note=one\\n\\two\r\n");
}

TEST(Variables, SaveVarsWritesGlobalsThenLocalsWithTheConstants) {
  TempDir dir;
  const std::string file = dir.File("all.txt");
  auto run = RunScript("global g\ng = 1\nlocal = 2\nx = savevars(\"" + file + "\")");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(ReadFile(file),
            "true=1\r\nfalse=0\r\nempty=0\r\ng=1\r\n_endoncancel=1\r\nlocal=2\r\n");
}

TEST(Variables, EventsFollowLinesAndCalls) {
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  std::vector<std::string> events;
  interpreter.OnStart = [&](TBasicInterpreter&) { events.push_back("start"); };
  interpreter.OnFinish = [&](TBasicInterpreter&) { events.push_back("finish"); };
  interpreter.OnLine = [&](TBasicInterpreter&, std::size_t index, std::string_view text) {
    events.push_back(std::to_string(index) + ":" + std::string(text));
  };
  interpreter.OnModule = [&](TBasicInterpreter&, std::string_view module, int leaving, std::size_t offset,
                             std::size_t line) {
    events.push_back("module " + std::string(module) + " " + std::to_string(leaving) + " " +
                     std::to_string(offset) + " " + std::to_string(line));
  };
  interpreter.SetScriptText("#header\nx = 1\ns()\nend\nsub s()\n  y = 2\nendsub", "test.tws");
  interpreter.Run(0);
  EXPECT_EQ(events, (std::vector<std::string>{"start", "0:x = 1~", "1:s()~", "module test.tws 0 0 4",
                                              "4:y = 2~", "5:endsub~", "module test.tws 1 0 1", "2:end~",
                                              "finish"}));
}

TEST(Variables, AChildCarriesTheScriptFileName) {
  TempDir dir;
  const std::string script = dir.File("child.tws");
  std::ofstream(script) << "s()\nend\nsub s()\nprint 1\nendsub\n";
  RecordingHost host;
  TBasicInterpreter interpreter(host);
  std::vector<std::string> names;
  interpreter.OnLine = [&](TBasicInterpreter& in, std::size_t, std::string_view text) {
    if (text == "print 1~") names.push_back(in.FileName);  // read by the sub's own interpreter
  };
  interpreter.SetFileName(script);
  interpreter.Run(0);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1"}));
  EXPECT_EQ(names, (std::vector<std::string>{script}));
}

}  // namespace
}  // namespace tw
