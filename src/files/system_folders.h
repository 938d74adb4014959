#pragma once
// The folders a script can ask for, as this platform has them, and the few path helpers the file
// functions share. Where the Windows design names a drive root as a default, we use the home folder.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// path followed by "/" unless it already ends with one; "" stays "".
std::string WithTrailingSlash(std::string path);
// The folder part of a file name: everything up to and including its last "/"; "" when none.
std::string_view FolderPart(std::string_view file);
// The name after the last "/".
std::string_view NamePart(std::string_view file);

// The user's home folder ($HOME, else the password database, else "/"), with a trailing "/".
// It stands in for "c:\" wherever the Windows design uses that as a default.
std::string HomeFolder();
// The folder of the running program file, with a trailing "/"; "" when the system cannot tell.
std::string ProgramFolder();
// The user's base folders for configuration and data: $XDG_CONFIG_HOME and $XDG_DATA_HOME when they are
// absolute, else ~/.config/ and ~/.local/share/; with a trailing "/".
std::string UserConfigHome();
std::string UserDataHome();
// The system's data folders where installed files are looked for: the absolute folders of $XDG_DATA_DIRS in
// its order, else /usr/local/share/ and /usr/share/; each with a trailing "/".
std::vector<std::string> SystemDataFolders();
// The running program's file name ("tarnwick", "brindle"); "" when the system cannot tell.
std::string ProgramName();

// Where a program of the suite keeps its files. The settings file is "<program>.ini"; the data folder holds
// the script catalogue ("Scripts/"), the logs, "Tips.txt" and the helper scripts.
//
// Portable use: when the program's folder already holds its settings file, everything lives beside the
// program. Otherwise the settings file is in $XDG_CONFIG_HOME/tarnwick/ and the data in
// $XDG_DATA_HOME/tarnwick/ (~/.config and ~/.local/share when unset or not absolute), so an installed
// program never writes beside itself. The folders need not exist yet.
struct ProgramPlaces {
  std::string settingsFile;
  std::string dataFolder;  // with a trailing "/"
  bool portable = false;
};
ProgramPlaces PlacesOf(std::string_view program, const std::string& programFolder = ProgramFolder());

// Whether path names an existing regular file (following symbolic links).
bool IsRegularFile(const std::string& path);

// Creates folder and every missing folder above it with the given permissions (less the umask). True when
// it exists as a folder afterwards; otherwise errno tells why.
bool CreateFolders(const std::string& folder, unsigned mode);
// $TMPDIR when set, else /tmp, with a trailing "/".
std::string TemporaryFolder();
// The working folder when the program started; relative script names are taken from there.
const std::string& StartFolder();

}  // namespace tw
