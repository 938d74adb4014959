#include "files/system_folders.h"
#include "port/shell_registration.h"
#include "port/system/freedesktop_registration.h"

namespace tw::port {

std::unique_ptr<ShellRegistration> openShellRegistration() {
  return std::make_unique<system::FreedesktopRegistration>(UserDataHome());
}

}  // namespace tw::port
