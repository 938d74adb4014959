// The registry functions over the SQLite settings store, in a throw-away XDG_CONFIG_HOME.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "commands/library_support.h"
#include "port/system/sqlite_registry.h"
#include "support/script_cases.h"
#include "temp_dir.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using port::RegistryRoot;
using port::RegistryValue;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    store_ = std::make_unique<port::system::SqliteRegistry>(port::system::UserRegistryFile());
    desktop_.useRegistry(*store_);
  }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

  test::LibraryRun Run(const std::string& script, bool checkOnly = false, VariableTable* globals = nullptr) {
    RecordingHost host;
    return RunOnFakeDesktop(script, desktop_, host, checkOnly, port::kNoWindow, globals);
  }

  // Runs each case in a fresh store: script text in, printed lines and the one error out. The scripts may
  // use isopen(root, path), which answers whether that key opens.
  void RunCases(std::initializer_list<test::ScriptCase> cases) {
    for (const test::ScriptCase& c : cases) {
      fs::remove(store_->path());
      const test::LibraryRun run = Run(c.script +
                                       "\nend\nfunc isopen(root, path)\n  result = 0\n"
                                       "  h = regopen(root, path)\n  if h > 0 then\n    result = 1\n  endif\nendfunc\n");
      EXPECT_EQ(run.Output, c.output) << c.name;
      EXPECT_EQ(run.Errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error})
          << c.name;
    }
  }

  testbed::TempDir home_;
  FakeDesktop desktop_;
  std::unique_ptr<port::system::SqliteRegistry> store_;
};

TEST_F(Registry, TheStoreIsOneFileInTheConfigFolderReadableByItsOwnerOnly) {
  EXPECT_EQ(store_->path(), (home_ / "config/tarnwick/registry.sqlite").string());
  EXPECT_TRUE(Run("h = regopen(\"HKEY_CURRENT_USER\", \"Software\\Tool\", 1)\nregputstr(h, \"a\", \"b\")").Errors.empty());
  struct stat info {};
  ASSERT_EQ(::stat(store_->path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(Registry, OpeningKeys) {
  RunCases({
      {"a root in lower case", "print regopen(\"hkey_current_user\", \"x\")", "", ErrorAt("Invalid Value", 1)},
      {"a missing key without create", "print regopen(\"HKEY_CURRENT_USER\", \"Software\\Nothing\")", "0\n", ""},
      {"create makes every key on the way",
       "regopen(\"HKEY_USERS\", \"\\a\\b\\c\", 1)\n"
       "print isopen(\"HKEY_USERS\", \"a\\b\")\nprint isopen(\"HKEY_USERS\", \"a\\b\\c\\\")",
       "1\n1\n", ""},
      {"an empty path and a lone backslash are the root",
       "print isopen(\"HKEY_LOCAL_MACHINE\", \"\")\nprint isopen(\"HKEY_CLASSES_ROOT\", \"\\\")", "1\n1\n", ""},
      {"an empty key name opens nothing", "print regopen(\"HKEY_CURRENT_USER\", \"a\\\\b\", 1)", "0\n", ""},
      {"the roots are separate trees",
       "regopen(\"HKEY_USERS\", \"only\", 1)\nprint regopen(\"HKEY_CURRENT_USER\", \"only\")", "0\n", ""},
      {"a handle that is no number", "print reggetstr(\"abc\", \"x\")", "", ErrorAt("Invalid Handle", 1)},
      {"an unknown handle reads nothing and reports nothing", "print reggetint(77, \"x\")", "0\n", ""},
  });
  // Under a syntax check the root is still checked; nothing is opened.
  RecordingHost host;
  const auto check = RunOnFakeDesktop("h = regopen(\"Hkey_Users\", \"x\", 1)", desktop_, host, true);
  EXPECT_EQ(check.Errors, (std::vector<std::string>{ErrorAt("Invalid Value", 1)}));
  EXPECT_TRUE(Run("print regopen(\"HKEY_USERS\", \"x\", 1)\nprint regputint(1, \"n\", 5)", true).Output.empty());
  EXPECT_EQ(Run("print regopen(\"HKEY_USERS\", \"x\")").Output, "0\n");
}

TEST_F(Registry, EveryReaderAgainstEveryStoredType) {
  ASSERT_TRUE(store_->openKey(RegistryRoot::CurrentUser, "T", true));
  auto put = [&](const char* name, RegistryValue value) {
    ASSERT_TRUE(store_->writeValue(RegistryRoot::CurrentUser, "T", name, value));
  };
  put("str", RegistryValue::String("text ü日本"));
  put("exp", {2, "%HOME%/x"});
  put("dw", RegistryValue::DWord(0xfffffffe));
  put("bin8", RegistryValue::Binary(std::string("\x9a\x99\x99\x99\x99\x99\xb9\x3f", 8)));
  put("bin3", RegistryValue::Binary("abc"));
  put("multi", {7, std::string("a\0b\0", 4)});
  const std::string open = "h = regopen(\"HKEY_CURRENT_USER\", \"T\")\n";
  struct Case {
    const char* call;
    const char* output;
    const char* error;
  };
  const Case cases[] = {
      {"reggetstr(h, \"str\")", "text ü日本", ""},
      {"reggetstr(h, \"exp\")", "%HOME%/x", ""},
      {"reggetstr(h, \"dw\")", "", "Registry value 'dw' holds a double word, not a string"},
      {"reggetstr(h, \"bin8\")", "", "Registry value 'bin8' holds binary data of 8 bytes, not a string"},
      {"reggetstr(h, \"multi\")", "", "Registry value 'multi' holds a value of type 7, not a string"},
      {"reggetstr(h, \"missing\")", "", ""},
      {"reggetint(h, \"dw\")", "-2", ""},
      {"reggetint(h, \"str\")", "0", "Registry value 'str' holds a string, not a double word"},
      {"reggetint(h, \"exp\")", "0", "Registry value 'exp' holds an expandable string, not a double word"},
      {"reggetint(h, \"\")", "0", "Registry value '(Default)' does not exist in HKEY_CURRENT_USER\\T"},
      {"reggetbool(h, \"dw\")", "True", ""},
      {"reggetbool(h, \"bin3\")", "0", "Registry value 'bin3' holds binary data of 3 bytes, not a double word"},
      {"reggetflt(h, \"bin8\")", "0.1", ""},
      {"reggetflt(h, \"bin3\")", "0",
       "Registry value 'bin3' holds binary data of 3 bytes, not a real (8 bytes of binary data)"},
      {"reggetflt(h, \"dw\")", "0", "Registry value 'dw' holds a double word, not a real (8 bytes of binary data)"},
      {"reggetflt(h, \"missing\")", "0", "Registry value 'missing' does not exist in HKEY_CURRENT_USER\\T"},
  };
  for (const Case& c : cases) {
    const auto run = Run(open + "print " + c.call);
    EXPECT_EQ(run.Output, *c.error ? "" : std::string(c.output) + "\n") << c.call;
    EXPECT_EQ(run.Errors, *c.error ? std::vector<std::string>{ErrorAt(c.error, 2)} : std::vector<std::string>{})
        << c.call;
  }
}

TEST_F(Registry, WritingAndReadingBack) {
  RunCases({
      {"each type reads back",
       "h = regopen(\"HKEY_CURRENT_USER\", \"W\", 1)\n"
       "print regputstr(h, \"s\", \"two words\"), regputint(h, \"i\", -7), regputbool(h, \"b\", 1), "
       "regputflt(h, \"f\", 2.5)\n"
       "print reggetstr(h, \"s\")\nprint reggetint(h, \"i\")\nprint reggetint(h, \"b\")\nprint reggetflt(h, \"f\")",
       "1     1     1     1\ntwo words\n-7\n1\n2.5\n", ""},
      {"a replaced value takes the new type",
       "h = regopen(\"HKEY_CURRENT_USER\", \"W\", 1)\nregputint(h, \"v\", 3)\nregputstr(h, \"v\", \"x\")\n"
       "print reggetstr(h, \"v\")",
       "x\n", ""},
      {"other letter case finds the same key and value",
       "h = regopen(\"HKEY_CURRENT_USER\", \"Software\\Große Tool\", 1)\nregputstr(h, \"Name\", \"v\")\n"
       "print regopen(\"HKEY_CURRENT_USER\", \"SOFTWARE\\GROSSE TOOL\")\n"
       "k = regopen(\"HKEY_CURRENT_USER\", \"software\\große tool\")\nprint reggetstr(k, \"NAME\")",
       "0\nv\n", ""},
      {"the default value", "h = regopen(\"HKEY_CURRENT_USER\", \"D\", 1)\nregputstr(h, \"\", \"def\")\n"
       "print reggetstr(h, \"\")", "def\n", ""},
      {"an unknown handle writes nothing", "print regputstr(4242, \"a\", \"b\")", "0\n", ""},
      {"a value that is no number", "h = regopen(\"HKEY_CURRENT_USER\", \"W\", 1)\nnoerror(1)\n"
       "print regputint(h, \"i\", \"abc\")\nprint reggetstr(h, \"i\")", "0\n\n", ""},
      {"a key deleted since it was opened",
       "h = regopen(\"HKEY_CURRENT_USER\", \"Gone\\Sub\", 1)\nk = regopen(\"HKEY_CURRENT_USER\", \"Gone\")\n"
       "print regdelkey(k, \"sub\")\nprint regputstr(h, \"a\", \"b\")",
       "1\n", ErrorAt("Registry key HKEY_CURRENT_USER\\Gone\\Sub no longer exists", 4)},
  });
}

TEST_F(Registry, DeletingKeysAndValues) {
  RunCases({
      {"a subkey goes with everything below it",
       "h = regopen(\"HKEY_CURRENT_USER\", \"R\\a\\b\\c\", 1)\nregputstr(h, \"v\", \"x\")\n"
       "regopen(\"HKEY_CURRENT_USER\", \"R\\keep\", 1)\nr = regopen(\"HKEY_CURRENT_USER\", \"R\")\n"
       "print regdelkey(r, \"A\")\nprint regdelkey(r, \"a\")\n"
       "print isopen(\"HKEY_CURRENT_USER\", \"R\\a\\b\\c\")\nprint isopen(\"HKEY_CURRENT_USER\", \"R\\keep\")\n"
       "print reggetstr(h, \"v\")",
       "1\n0\n0\n1\n\n", ""},
      {"a path below the open key", "regopen(\"HKEY_CURRENT_USER\", \"P\\x\\y\", 1)\n"
       "r = regopen(\"HKEY_CURRENT_USER\", \"P\")\nprint regdelkey(r, \"\\x\\y\")\n"
       "print isopen(\"HKEY_CURRENT_USER\", \"P\\x\")", "1\n1\n", ""},
      {"an empty subkey deletes nothing", "r = regopen(\"HKEY_CURRENT_USER\", \"E\", 1)\n"
       "print regdelkey(r, \"\")\nprint isopen(\"HKEY_CURRENT_USER\", \"E\")", "0\n1\n", ""},
      {"values", "h = regopen(\"HKEY_CURRENT_USER\", \"V\", 1)\nregputint(h, \"n\", 1)\n"
       "print regdelval(h, \"N\")\nprint regdelval(h, \"n\")\nprint regdelval(999, \"n\")", "1\n0\n0\n", ""},
  });
}

TEST_F(Registry, RealsComeBackBitForBit) {
  VariableTable globals;
  const auto run = Run("global a\nglobal b\nglobal c\nh = regopen(\"HKEY_CURRENT_USER\", \"F\", 1)\n"
                       "regputflt(h, \"a\", 0.1)\nregputflt(h, \"b\", \"-0\")\nregputflt(h, \"c\", 1E308)\n"
                       "a = reggetflt(h, \"a\")\nb = reggetflt(h, \"b\")\nc = reggetflt(h, \"c\")",
                       false, &globals);
  ASSERT_TRUE(run.Errors.empty()) << run.Errors[0];
  const std::pair<const char*, double> expected[] = {{"a", 0.1}, {"b", -0.0}, {"c", 1E308}};
  for (const auto& [name, real] : expected) {
    const auto stored = store_->readValue(RegistryRoot::CurrentUser, "F", name);
    ASSERT_TRUE(stored) << name;
    EXPECT_EQ(stored->data, std::string(reinterpret_cast<const char*>(&real), 8)) << name;
    const TVariable* read = globals.Find(name);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read->Value.ToReal()), std::bit_cast<std::uint64_t>(real)) << name;
  }
}

TEST_F(Registry, HandlesAreSharedWithSubsClosedAtTheEndAndNotSeenByCalledScripts) {
  const fs::path called = home_ / "called.tws";
  std::ofstream(called) << "print reggetstr(h, \"v\")\n";  // h is a global: the number arrives
  VariableTable globals;
  RecordingHost host;
  TTarnwickBasic library(host, desktop_);
  library.SetGlobals(&globals);
  library.SetScriptText("global h\nh = opened()\nprint reggetstr(h, \"v\")\ncall \"" + called.string() +
                            "\"\nend\nfunc opened()\n  k = regopen(\"HKEY_CURRENT_USER\", \"S\", 1)\n"
                            "  regputstr(k, \"v\", \"shared\")\n  result = k\nendfunc",
                        "test.tws");
  library.Run(0);
  EXPECT_EQ(host.Output(), "shared\n\n");
  EXPECT_EQ(library.Handles->Count(), 0u);
  // The next run on the same interpreter starts with an empty table.
  library.SetScriptText("print reggetstr(" + globals.Find("h")->Value.ToText() + ", \"v\")", "test.tws");
  library.Run(0);
  EXPECT_EQ(host.Output(), "shared\n\n\n");
  EXPECT_EQ(host.ScriptErrors, std::vector<std::string>{});
}

}  // namespace
}  // namespace tw
