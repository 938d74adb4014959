// tarnwick's settings keys: defaults, a round trip, and what is left alone.

#include "catalogue/catalogue_settings.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(CatalogueSettings, DefaultsAndARoundTripThatKeepsOtherKeys) {
  const IniFile empty;
  const CatalogueSettings defaults = ReadCatalogueSettings(empty, "/data/Scripts");
  EXPECT_EQ(defaults.columnWidths, (std::array<int, 3>{200, 200, 400}));
  EXPECT_EQ(defaults.sortColumn, 1);
  EXPECT_EQ(defaults.selectedPosition, 0);
  EXPECT_EQ(defaults.scriptPath, "/data/Scripts/");
  EXPECT_EQ(defaults.activeFolder, "");
  EXPECT_TRUE(defaults.listViewDown);
  EXPECT_FALSE(defaults.largeIcons);

  IniFile ini = IniFile::Parse("[Settings]\nItemSel=4\nFromElsewhere=kept\n[DialogPosition]\nSetup_X=5\n");
  CatalogueSettings changed = defaults;
  changed.left = 10;
  changed.top = 20;
  changed.showState = WindowShowState::Maximized;
  changed.largeIcons = true;
  changed.iconViewDown = true;
  changed.listViewDown = false;
  changed.columnWidths = {150, 90, 300};
  changed.sortColumn = 2;
  changed.selectedPosition = 7;
  changed.scriptPath = "/home/a/My Scripts/";
  changed.activeFolder = "Work/Daily";
  WriteCatalogueSettings(ini, changed, false);
  EXPECT_EQ(ini.ReadInteger("Settings", "ItemSel", 0), 4);  // no item selected: the stored one stays
  EXPECT_EQ(ini.ReadString("Settings", "FromElsewhere", ""), "kept");
  EXPECT_EQ(ini.ReadInteger("DialogPosition", "Setup_X", 0), 5);
  WriteCatalogueSettings(ini, changed, true);
  const CatalogueSettings read = ReadCatalogueSettings(IniFile::Parse(ini.Text()), "/data/Scripts/");
  EXPECT_EQ(read.left, 10);
  EXPECT_EQ(read.top, 20);
  EXPECT_EQ(read.showState, WindowShowState::Maximized);
  EXPECT_TRUE(read.largeIcons);
  EXPECT_TRUE(read.iconViewDown);
  EXPECT_FALSE(read.listViewDown);
  EXPECT_EQ(read.columnWidths, changed.columnWidths);
  EXPECT_EQ(read.sortColumn, 2);
  EXPECT_EQ(read.selectedPosition, 7);
  EXPECT_EQ(read.scriptPath, "/home/a/My Scripts/");
  EXPECT_EQ(read.activeFolder, "Work/Daily");
  EXPECT_EQ(ini.ReadString("Settings", "Col1", ""), "90");
}

TEST(CatalogueSettings, ValuesOutOfRangeFallBack) {
  const CatalogueSettings read = ReadCatalogueSettings(
      IniFile::Parse("[settings]\nsort=7\nitemsel=-3\ncol0=-10\nscriptpath=  \nWindowState=sideways\n"), "/d/S/");
  EXPECT_EQ(read.sortColumn, 1);
  EXPECT_EQ(read.selectedPosition, 0);
  EXPECT_EQ(read.columnWidths[0], 0);
  EXPECT_EQ(read.scriptPath, "/d/S/");
  EXPECT_EQ(read.showState, WindowShowState::Normal);
}

TEST(CatalogueSettings, PreferencesAndTips) {
  const TarnwickFiles files = FilesOf({"/c/tarnwick/tarnwick.ini", "/d/tarnwick/", false});
  EXPECT_EQ(files.defaultScriptPath, "/d/tarnwick/Scripts/");
  EXPECT_EQ(files.tipsFile, "/d/tarnwick/Tips.txt");
  IniFile ini;
  Preferences preferences = ReadPreferences(ini, files);
  EXPECT_FALSE(preferences.logSchedule);
  EXPECT_FALSE(preferences.debugLog);
  EXPECT_TRUE(preferences.loadEditor);
  EXPECT_EQ(preferences.logFileName, "/d/tarnwick/SchdLog.txt");
  EXPECT_TRUE(ReadShowTips(ini));
  preferences.loadEditor = false;
  preferences.logSchedule = true;
  WritePreferences(ini, preferences);
  WriteShowTips(ini, false);
  EXPECT_EQ(ini.Text(),
            "[Preferences]\nLogSchedule=1\nDebugLog=0\nLoadEditor=0\nLogFileName=/d/tarnwick/SchdLog.txt\n"
            "[Tips]\nShowTips=0\n");
}

}  // namespace
}  // namespace tw
