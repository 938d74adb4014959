#pragma once
// Script files on freedesktop.org desktops: the MIME type application/x-tarnwick-script for "*.tws" in the
// user's shared MIME database, a desktop entry that starts the opener with the file, the icon in the hicolor
// theme, and the entry as the type's default (xdg-mime). Everything goes below the user's data folder.

#include <string>

#include "port/shell_registration.h"

namespace tw::port::system {

inline constexpr const char* kScriptMimeType = "application/x-tarnwick-script";
inline constexpr const char* kScriptDesktopEntry = "tarnwick-brindle.desktop";

class FreedesktopRegistration final : public ShellRegistration {
 public:
  // dataHome: $XDG_DATA_HOME or its default, with a trailing "/".
  explicit FreedesktopRegistration(std::string dataHome);

  bool isRegistered() override;
  bool registerScripts(const ScriptAssociation& association) override;

  std::string mimePackageFile() const;
  std::string desktopEntryFile() const;
  std::string iconFile() const;

 private:
  std::string dataHome_;
};

// The Exec= value that starts `program` with one file: the program quoted as the desktop entry format asks.
std::string DesktopExecLine(const std::string& program);
// The program named first in an Exec= value; empty when there is none.
std::string DesktopExecProgram(const std::string& exec);

}  // namespace tw::port::system
