// Script files registered with freedesktop.org desktops, checked by the programs that read the registration:
// xdg-mime, desktop-file-validate and gio.

#include "port/system/freedesktop_registration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "support/scoped_environment.h"
#include "temp_dir.h"
#include "waiting.h"

namespace tw::port::system {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnvironment;
using testbed::ChildProcess;
using testbed::readFile;
using testbed::TempDir;

std::string IconBytes() { return readFile(TW_SCRIPT_ICON); }

class ShellRegistrationTest : public ::testing::Test {
 protected:
  // What a program printed (standard output and error together) and how it ended.
  std::pair<std::optional<int>, std::string> Run(const std::vector<std::string>& argv) {
    const fs::path output = dir_ / ("run-" + std::to_string(++runs_) + ".txt");
    ChildProcess program(argv, {{}, output, -1});
    const std::optional<int> status = program.waitForExit(testbed::kPatience);
    return {status, readFile(output)};
  }

  TempDir dir_;
  ScopedEnvironment home_{"HOME", (dir_ / "home").string()};
  ScopedEnvironment data_{"XDG_DATA_HOME", (dir_ / "home/.local/share").string()};
  ScopedEnvironment config_{"XDG_CONFIG_HOME", (dir_ / "home/.config").string()};
  ScopedEnvironment noDisplay_{"DISPLAY", std::nullopt};
  FreedesktopRegistration registration_{(dir_ / "home/.local/share").string()};
  int runs_ = 0;
};

TEST(DesktopExec, AProgramPathSurvivesTheQuotingRules) {
  const std::pair<std::string, std::string> cases[] = {
      {"/opt/tarnwick/brindle", "\"/opt/tarnwick/brindle\" %f"},
      {"/home/a b/brindle", "\"/home/a b/brindle\" %f"},
      {"/x/\"q\"/b", "\"/x/\\\\\"q\\\\\"/b\" %f"},
      {"/x/$HOME/`b`", "\"/x/\\\\$HOME/\\\\`b\\\\`\" %f"},
      {"/x\\y/100%/b", "\"/x\\\\\\\\y/100%%/b\" %f"},
  };
  for (const auto& [program, exec] : cases) {
    EXPECT_EQ(DesktopExecLine(program), exec);
    EXPECT_EQ(DesktopExecProgram(exec), program);
  }
  EXPECT_EQ(DesktopExecProgram("/usr/bin/brindle %f"), "/usr/bin/brindle");
}

TEST_F(ShellRegistrationTest, PresentOnlyWithAllItsFilesAndALivingOpener) {
  const fs::path opener = dir_ / "programs/brindle";
  fs::create_directories(opener.parent_path());
  fs::copy_file(BRINDLE_PATH, opener);
  EXPECT_FALSE(registration_.isRegistered());
  ASSERT_TRUE(registration_.registerScripts({opener.string(), IconBytes()}));
  EXPECT_TRUE(registration_.isRegistered());
  for (const std::string& file : {registration_.iconFile(), registration_.mimePackageFile()}) {
    const std::string kept = readFile(file);
    fs::remove(file);
    EXPECT_FALSE(registration_.isRegistered()) << file;
    std::ofstream(file, std::ios::binary) << kept;
  }
  EXPECT_TRUE(registration_.isRegistered());
  fs::remove(opener);  // the programs moved away
  EXPECT_FALSE(registration_.isRegistered());
}

TEST_F(ShellRegistrationTest, ThePeersFindTheTypeAndTheEntryAndOpenAScriptInBrindle) {
  ASSERT_TRUE(registration_.registerScripts({BRINDLE_PATH, IconBytes()}));
  const fs::path folder = dir_ / "My Scripts";
  fs::create_directories(folder);
  const fs::path script = folder / "mark it.tws";
  std::ofstream(script, std::ios::binary) << "#description: Mark\r\nx = savetofile(\"opened\", \""
                                          << (dir_ / "marker.txt").string() << "\")\r\n";

  EXPECT_EQ(Run({"xdg-mime", "query", "filetype", script.string()}),
            std::make_pair(std::optional<int>(0), std::string(kScriptMimeType) + "\n"));
  EXPECT_EQ(Run({"xdg-mime", "query", "default", kScriptMimeType}),
            std::make_pair(std::optional<int>(0), std::string(kScriptDesktopEntry) + "\n"));
  EXPECT_EQ(Run({"desktop-file-validate", registration_.desktopEntryFile()}),
            std::make_pair(std::optional<int>(0), std::string()));

  // gio leaves brindle in its process group, which ends with it: it is kept until the script has run.
  ChildProcess gio({"gio", "open", script.string()}, {{}, dir_ / "gio.txt", -1});
  EXPECT_EQ(gio.waitForExit(testbed::kPatience), 0) << readFile(dir_ / "gio.txt");
  EXPECT_TRUE(testbed::waitUntil([&] { return readFile(dir_ / "marker.txt").starts_with("opened"); }))
      << "brindle did not run the script";
}

}  // namespace
}  // namespace tw::port::system
