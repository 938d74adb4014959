// Remembered dialog positions: the keys captions give, and the settings file that keeps them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialogs/dialog_positions.h"
#include "dialogs/ini_dialog_positions.h"

namespace tw {
namespace {

// Every caption gets a key of its own that the settings file keeps as it is, so each reads back what was
// written for it and nothing else.
TEST(DialogPositions, EveryCaptionKeepsItsOwnPositionBesideTheFilesOtherKeys) {
  const struct {
    const char* caption;
    const char* key;
  } cases[] = {
      {"Setup", "Setup"},
      {"Setup - [Edit]", "Setup"},
      {"", ""},
      {"a=b", "a%3Db"},
      {"two\r\nlines", "two%0D%0Alines"},
      {"[Section]", "%5BSection]"},
      {";not a comment", "%3Bnot a comment"},
      {" blank first", "%20blank first"},
      {"inner [ and ; stay", "inner [ and ; stay"},
  };
  const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "positions" / "program.ini";
  std::filesystem::remove_all(file.parent_path());
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "; hand-written\n[Other]\nkey=value\n";

  IniDialogPositions positions(file.string());
  int n = 0;
  for (const auto& c : cases) {
    const std::string key = DialogPositionKey(c.caption);
    EXPECT_EQ(key, c.key) << c.caption;
    ++n;
    positions.Write(key + "_X", n, key + "_Y", -n);
  }
  n = 0;
  for (const auto& c : cases) {
    ++n;
    if (std::string(c.caption) == "Setup - [Edit]") continue;  // shares "Setup"'s key, written after it
    const std::string key = DialogPositionKey(c.caption);
    const int expected = std::string(c.caption) == "Setup" ? 2 : n;
    EXPECT_EQ(positions.Read(key + "_X"), expected) << c.caption;
    EXPECT_EQ(positions.Read(key + "_Y"), -expected) << c.caption;
  }
  std::stringstream text;
  text << std::ifstream(file).rdbuf();
  EXPECT_TRUE(text.str().starts_with("; hand-written\n[Other]\nkey=value\n[DialogPosition]\n")) << text.str();
  EXPECT_EQ(positions.Read("Missing_X"), std::nullopt);
  EXPECT_EQ(IniDialogPositions("/nonexistent/folder/x.ini").Read("Setup_X"), std::nullopt);
}

}  // namespace
}  // namespace tw
