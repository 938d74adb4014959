#pragma once
// Telling the desktop that script files are opened by brindle: their file type, its icon, and brindle as
// the type's default application.

#include <memory>
#include <string>

namespace tw::port {

struct ScriptAssociation {
  std::string opener;   // full path of the program that opens a script given as its one argument
  std::string iconPng;  // the script files' icon, a 48x48 PNG
};

class ShellRegistration {
 public:
  virtual ~ShellRegistration() = default;
  // True when the association is present and its opener still exists.
  virtual bool isRegistered() = 0;
  // Writes the whole association, replacing an older one. False when part of it could not be made.
  virtual bool registerScripts(const ScriptAssociation& association) = 0;
};

// The registration this desktop uses (freedesktop.org's, for X11 and Wayland).
std::unique_ptr<ShellRegistration> openShellRegistration();

}  // namespace tw::port
