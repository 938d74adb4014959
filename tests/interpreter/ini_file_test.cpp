// The settings store: reading as people write INI files, writing without disturbing what it does not
// own, atomic and locked saves, and where each program's settings and data live.

#include "interpreter/ini_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "files/system_folders.h"
#include "scratch_folder.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

using test::ScopedEnvironment;

class IniFileTest : public test::ScratchFolderTest {};

TEST(IniFile, ReadsWhatPeopleWrite) {
  const IniFile ini = IniFile::Parse(
      "\xEF\xBB\xBF"
      "orphan=above every section\r\n"
      "[Settings]\r\n"
      "; Sort=9 is a comment\r\n"
      "  Sort = 2  \r\n"
      "ScriptPath=\"  /a b/ \"\r"
      "Quoted='x'\n"
      "Empty=\n"
      "Sort=7\n"
      "noequals\n"
      "Formula=a=b\n"
      "[ Tips ]\n"
      "ShowTips=0\n"
      "[settings]\n"
      "Hidden=behind the first section of the name\n");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Settings", "Tips", "settings"}));
  EXPECT_EQ(ini.Keys("SETTINGS"), (std::vector<std::string>{"Sort", "ScriptPath", "Quoted", "Empty", "Formula"}));
  EXPECT_EQ(ini.ReadInteger("settings", "SORT", 1), 2);  // the first of two keys wins
  EXPECT_EQ(ini.ReadString("Settings", "ScriptPath", ""), "  /a b/ ");
  EXPECT_EQ(ini.ReadString("Settings", "Quoted", ""), "x");
  EXPECT_EQ(ini.Value("Settings", "Empty"), "");
  EXPECT_EQ(ini.ReadString("Settings", "Formula", ""), "a=b");
  EXPECT_FALSE(ini.Value("Settings", "noequals"));
  EXPECT_FALSE(ini.Value("Settings", "Hidden"));
  EXPECT_FALSE(ini.ReadBool("tips", "showtips", true));
  EXPECT_EQ(ini.ReadString("Nowhere", "x", "fallback"), "fallback");
}

TEST(IniFile, NumbersAndBooleans) {
  struct Case {
    const char* value;
    int integer;  // with fallback 42
    bool boolean;  // with fallback true
  };
  const Case cases[] = {
      {"0", 0, false},        {" 17 ", 17, true},     {"+5", 5, true},        {"-3", -3, true},
      {"1x", 42, true},       {"", 42, true},         {"2147483648", 42, true}, {"TRUE", 42, true},
      {"no", 42, false},      {"False", 42, false},   {"maybe", 42, true},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::Parse(std::string("[S]\nk=") + c.value + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 42), c.integer) << c.value;
    EXPECT_EQ(ini.ReadBool("S", "k", true), c.boolean) << c.value;
  }
}

TEST(IniFile, WritingLeavesEverythingElseAsItWas) {
  IniFile ini = IniFile::Parse(
      "; kept by hand\n"
      "[Settings]\n"
      "COL0 = 120\n"
      "Unknown=from a newer version\n"
      "\n"
      "[Other]\n"
      "x=1\n");
  ini.WriteInteger("settings", "Col0", 200);
  ini.WriteBool("Settings", "LoadEditor", false);
  ini.WriteString("Tips", "ShowTips", "1");
  EXPECT_EQ(ini.Text(),
            "; kept by hand\n"
            "[Settings]\n"
            "COL0=200\n"
            "Unknown=from a newer version\n"
            "LoadEditor=0\n"
            "\n"
            "[Other]\n"
            "x=1\n"
            "[Tips]\n"
            "ShowTips=1\n");
  EXPECT_TRUE(ini.DeleteKey("SETTINGS", "unknown"));
  EXPECT_FALSE(ini.DeleteKey("Settings", "unknown"));
  EXPECT_TRUE(ini.EraseSection("other"));
  EXPECT_FALSE(ini.HasSection("Other"));
  EXPECT_EQ(ini.Keys("Settings"), (std::vector<std::string>{"COL0", "LoadEditor"}));
}

TEST(IniFile, ValuesComeBackAsWritten) {
  const std::vector<std::string> values = {
      "", " leading", "trailing\t", "\"quoted\"", "'single'", "\"", "\"\"", "a = b ; c", "[not a section]",
      "/home/x/My Scripts/", "caf\xC3\xA9",
  };
  IniFile ini;
  for (std::size_t i = 0; i < values.size(); ++i) ini.WriteString("Values", "k" + std::to_string(i), values[i]);
  const IniFile reread = IniFile::Parse(ini.Text());
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(reread.Value("Values", "k" + std::to_string(i)), values[i]) << ini.Text();
}

TEST(IniFile, RefusesNamesAndValuesThatWouldCorruptTheFile) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"S", "a=b", "v"},   {"S", "[x", "v"},   {"S", ";x", "v"},  {"S", "a\nb", "v"}, {"S", "", "v"},
      {"S", " k", "v"},    {"S]", "k", "v"},   {"", "k", "v"},    {"S", "k", "line\nbreak"},
      {"S", "k", "cr\r"},
  };
  for (const Case& c : cases) {
    IniFile ini;
    EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), std::invalid_argument) << c.section << "/" << c.key;
    EXPECT_EQ(ini.Text(), "");
  }
}

TEST_F(IniFileTest, SavesCreatingFoldersAndLeavesTheOldFileOnFailure) {
  IniFile ini;
  ini.WriteString("S", "k", "v");
  ini.Save(At("new/deeper/a.ini"));
  EXPECT_EQ(Read(At("new/deeper/a.ini")), "[S]\nk=v\n");
  EXPECT_EQ(Mode(At("new/deeper")), 0700u);
  EXPECT_EQ(IniFile::Load(At("new/deeper/a.ini")).ReadString("s", "K", ""), "v");

  Write("file", "x");
  EXPECT_THROW(ini.Save(At("file/a.ini")), std::runtime_error);
  // A folder standing where the file should go cannot be replaced: the save fails, nothing is left behind.
  std::filesystem::create_directory(At("taken.ini"));
  EXPECT_THROW(ini.Save(At("taken.ini")), std::runtime_error);
  EXPECT_THROW(IniFile::Load(At("taken.ini")), std::runtime_error);
  EXPECT_EQ(Names(), (std::vector<std::string>{"file", "new", "taken.ini"}));
  EXPECT_EQ(IniFile::Load(At("missing.ini")).Text(), "");
}

TEST_F(IniFileTest, UpdatesFromSeveralProcessesLoseNothing) {
  const std::string path = At("shared.ini");
  constexpr int kProcesses = 4;
  constexpr int kKeys = 25;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int k = 0; k < kKeys; ++k)
        IniFile::Update(path, [&](IniFile& ini) {
          ini.WriteInteger("P" + std::to_string(p), "K" + std::to_string(k), k);
        });
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const IniFile ini = IniFile::Load(path);
  for (int p = 0; p < kProcesses; ++p)
    EXPECT_EQ(ini.Keys("P" + std::to_string(p)).size(), static_cast<std::size_t>(kKeys)) << ini.Text();
  EXPECT_EQ(Names(), (std::vector<std::string>{"shared.ini"}));
}

TEST_F(IniFileTest, PlacesFollowThePortableRuleAndTheBaseFolders) {
  std::filesystem::create_directories(At("bin/brindle.ini"));  // a folder of that name is no settings file
  Write(At("bin/tarnwick.ini"), "");
  {
    ScopedEnvironment config("XDG_CONFIG_HOME", At("config"));
    ScopedEnvironment data("XDG_DATA_HOME", At("data/"));
    const ProgramPlaces portable = PlacesOf("tarnwick", At("bin/"));
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(portable.settingsFile, At("bin/tarnwick.ini"));
    EXPECT_EQ(portable.dataFolder, At("bin/"));

    const ProgramPlaces installed = PlacesOf("brindle", At("bin/"));
    EXPECT_FALSE(installed.portable);
    EXPECT_EQ(installed.settingsFile, At("config/tarnwick/brindle.ini"));
    EXPECT_EQ(installed.dataFolder, At("data/tarnwick/"));
  }
  ScopedEnvironment home("HOME", At("home"));
  ScopedEnvironment config("XDG_CONFIG_HOME", "relative/is/ignored");
  ScopedEnvironment data("XDG_DATA_HOME", std::nullopt);
  const ProgramPlaces fallback = PlacesOf("tarnwick", "");
  EXPECT_EQ(fallback.settingsFile, At("home/.config/tarnwick/tarnwick.ini"));
  EXPECT_EQ(fallback.dataFolder, At("home/.local/share/tarnwick/"));
}

}  // namespace
}  // namespace tw
