#pragma once
// The window that a script without a command acts on when it is started from the tray: the window that was
// in front when the user went to the tray icon.

#include <optional>
#include <string>

#include "port/geometry.h"
#include "port/windows.h"

namespace tw {

class TrayTarget {
 public:
  // Looks at the active window as the tray icon is clicked. It becomes the target (the result) when its title,
  // cut to 200 characters, is not empty and differs from the title seen last time; the title is then
  // remembered. Windows of this program (`ownProcess`) and the tray's own window (the one whose frame holds
  // `trayIcon`, which a click may have brought to the front) are passed over.
  std::optional<port::WindowId> Look(port::WindowService& windows, int ownProcess,
                                     std::optional<port::Point> trayIcon);

 private:
  std::string lastTitle_;
};

}  // namespace tw
