#pragma once
// tarnwick's files and the keys of its settings file: the main window's "Settings", the "Preferences" and
// the "Tips" switch. Reading never fails (a missing or unreadable key gives its default); writing goes
// through the INI store, which keeps every key it does not know.

#include <array>
#include <string>

#include "files/system_folders.h"
#include "interpreter/ini_file.h"

namespace tw {

// Where tarnwick's files live (see PlacesOf).
struct TarnwickFiles {
  std::string settingsFile;       // tarnwick.ini
  std::string defaultScriptPath;  // "Scripts/" in the data folder, with a trailing "/"
  std::string scheduleLog;        // SchdLog.txt
  std::string scheduleDebugLog;   // SchdDebug.txt
  std::string tipsFile;           // Tips.txt
  std::string scheduleLogFallback;  // tarnwick.log, for a schedule log that cannot be written
  std::string helpersFolder;      // "Helpers/" in the data folder: the script editor's helper scripts
};
TarnwickFiles FilesOf(const ProgramPlaces& places);

enum class WindowShowState { Normal, Maximized, Minimized };

// Section "Settings": the main window's placement, view and catalogue state.
struct CatalogueSettings {
  // Placement; a negative position lets the window manager place the window.
  int left = -1;
  int top = -1;
  int width = 1000;
  int height = 560;
  WindowShowState showState = WindowShowState::Normal;
  bool iconViewDown = false;
  bool listViewDown = true;
  bool largeIcons = false;  // the list's view style: large icons, else report

  std::array<int, 3> columnWidths{200, 200, 400};
  int sortColumn = 1;
  int selectedPosition = 0;
  std::string scriptPath;    // always with a trailing "/"
  std::string activeFolder;  // relative path of the selected folder; "" for the root
};

CatalogueSettings ReadCatalogueSettings(const IniFile& ini, const std::string& defaultScriptPath);
// "ItemSel" is written only when an item is selected; otherwise the stored one stays.
void WriteCatalogueSettings(IniFile& ini, const CatalogueSettings& settings, bool itemSelected);

// Section "Preferences", read and written where they are used.
struct Preferences {
  bool logSchedule = false;
  bool debugLog = false;
  bool loadEditor = true;  // show the main window at start-up
  std::string logFileName;
};
Preferences ReadPreferences(const IniFile& ini, const TarnwickFiles& files);
void WritePreferences(IniFile& ini, const Preferences& preferences);

// Section "Tips", key "ShowTips" (default true).
bool ReadShowTips(const IniFile& ini);
void WriteShowTips(IniFile& ini, bool show);

}  // namespace tw
