#include "catalogue/catalogue_settings.h"

#include <algorithm>

#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr std::string_view kSettings = "Settings";
constexpr std::string_view kPreferences = "Preferences";

constexpr std::array<std::pair<WindowShowState, std::string_view>, 3> kShowStates{{
    {WindowShowState::Normal, "Normal"},
    {WindowShowState::Maximized, "Maximized"},
    {WindowShowState::Minimized, "Minimized"},
}};

constexpr std::string_view kReportStyle = "Report";
constexpr std::string_view kIconStyle = "Icon";

}  // namespace

TarnwickFiles FilesOf(const ProgramPlaces& places) {
  return {places.settingsFile, places.dataFolder + "Scripts/", places.dataFolder + "SchdLog.txt",
          places.dataFolder + "SchdDebug.txt", places.dataFolder + "Tips.txt", places.dataFolder + "tarnwick.log",
          places.dataFolder + "Helpers/"};
}

CatalogueSettings ReadCatalogueSettings(const IniFile& ini, const std::string& defaultScriptPath) {
  CatalogueSettings s;
  s.left = ini.ReadInteger(kSettings, "Left", s.left);
  s.top = ini.ReadInteger(kSettings, "Top", s.top);
  s.width = std::max(100, ini.ReadInteger(kSettings, "Width", s.width));
  s.height = std::max(100, ini.ReadInteger(kSettings, "Height", s.height));
  const std::string state = ini.ReadString(kSettings, "WindowState", "");
  for (const auto& [value, name] : kShowStates)
    if (EqualsIgnoringAsciiCase(state, name)) s.showState = value;
  s.iconViewDown = ini.ReadBool(kSettings, "IconViewDown", s.iconViewDown);
  s.listViewDown = ini.ReadBool(kSettings, "ListViewDown", s.listViewDown);
  s.largeIcons = EqualsIgnoringAsciiCase(ini.ReadString(kSettings, "ViewStyle", kReportStyle), kIconStyle);
  for (std::size_t i = 0; i < s.columnWidths.size(); ++i)
    s.columnWidths[i] = std::max(0, ini.ReadInteger(kSettings, "Col" + std::to_string(i), s.columnWidths[i]));
  const int sort = ini.ReadInteger(kSettings, "Sort", s.sortColumn);
  s.sortColumn = sort >= 0 && sort <= 2 ? sort : 1;
  s.selectedPosition = std::max(0, ini.ReadInteger(kSettings, "ItemSel", s.selectedPosition));
  const std::string path(Trimmed(ini.ReadString(kSettings, "ScriptPath", "")));
  s.scriptPath = WithTrailingSlash(path.empty() ? defaultScriptPath : path);
  s.activeFolder = ini.ReadString(kSettings, "ActiveFolder", "");
  return s;
}

void WriteCatalogueSettings(IniFile& ini, const CatalogueSettings& s, bool itemSelected) {
  ini.WriteInteger(kSettings, "Left", s.left);
  ini.WriteInteger(kSettings, "Top", s.top);
  ini.WriteInteger(kSettings, "Width", s.width);
  ini.WriteInteger(kSettings, "Height", s.height);
  for (const auto& [value, name] : kShowStates)
    if (value == s.showState) ini.WriteString(kSettings, "WindowState", name);
  ini.WriteBool(kSettings, "IconViewDown", s.iconViewDown);
  ini.WriteBool(kSettings, "ListViewDown", s.listViewDown);
  ini.WriteString(kSettings, "ViewStyle", s.largeIcons ? kIconStyle : kReportStyle);
  for (std::size_t i = 0; i < s.columnWidths.size(); ++i)
    ini.WriteInteger(kSettings, "Col" + std::to_string(i), s.columnWidths[i]);
  ini.WriteInteger(kSettings, "Sort", s.sortColumn);
  if (itemSelected) ini.WriteInteger(kSettings, "ItemSel", s.selectedPosition);
  ini.WriteString(kSettings, "ScriptPath", s.scriptPath);
  ini.WriteString(kSettings, "ActiveFolder", s.activeFolder);
}

Preferences ReadPreferences(const IniFile& ini, const TarnwickFiles& files) {
  Preferences p;
  p.logSchedule = ini.ReadBool(kPreferences, "LogSchedule", p.logSchedule);
  p.debugLog = ini.ReadBool(kPreferences, "DebugLog", p.debugLog);
  p.loadEditor = ini.ReadBool(kPreferences, "LoadEditor", p.loadEditor);
  p.logFileName = ini.ReadString(kPreferences, "LogFileName", files.scheduleLog);
  return p;
}

void WritePreferences(IniFile& ini, const Preferences& p) {
  ini.WriteBool(kPreferences, "LogSchedule", p.logSchedule);
  ini.WriteBool(kPreferences, "DebugLog", p.debugLog);
  ini.WriteBool(kPreferences, "LoadEditor", p.loadEditor);
  ini.WriteString(kPreferences, "LogFileName", p.logFileName);
}

bool ReadShowTips(const IniFile& ini) { return ini.ReadBool("Tips", "ShowTips", true); }

void WriteShowTips(IniFile& ini, bool show) { ini.WriteBool("Tips", "ShowTips", show); }

}  // namespace tw
