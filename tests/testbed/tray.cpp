#include "tray.h"

#include <X11/Xlib.h>

#include <stdexcept>

namespace tw::testbed {

void startTray(TestBed& bed) {
  bed.launch({"wmdocker"});
  Display* display = XOpenDisplay(bed.display().c_str());
  if (!display) throw std::runtime_error("cannot open " + bed.display());
  const Atom tray = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
  const bool owned = waitUntil([&] { return XGetSelectionOwner(display, tray) != 0; });
  XCloseDisplay(display);
  if (!owned) throw std::runtime_error("wmdocker never took the tray selection");
}

unsigned long trayIcon(TestBed& bed, pid_t pid) {
  unsigned long icon = 0;
  waitUntil([&] {
    for (const WindowFacts& w : bed.probe().allWindows())
      if (w.pid == pid && w.viewable && !w.managed) icon = w.id;
    return icon != 0;
  });
  return icon;
}

std::vector<unsigned long> menusOf(TestBed& bed, pid_t pid, unsigned long icon) {
  std::vector<unsigned long> menus;
  for (const WindowFacts& w : bed.probe().allWindows())
    if (w.pid == pid && w.viewable && w.id != icon && !w.managed) menus.push_back(w.id);
  return menus;
}

unsigned long openTrayMenu(TestBed& bed, pid_t pid, unsigned long icon, int button) {
  const auto place = bed.probe().rootPosition(icon);
  if (!place) return 0;
  unsigned long menu = 0;
  for (int attempt = 0; attempt < 10 && menu == 0; ++attempt) {
    ChildProcess& click = bed.launch({"xdotool", "mousemove", std::to_string(place->first + 4),
                                      std::to_string(place->second + 4), "click", std::to_string(button)});
    click.waitForExit(kPatience);
    waitUntil(
        [&] {
          const std::vector<unsigned long> menus = menusOf(bed, pid, icon);
          menu = menus.empty() ? 0 : menus.back();
          return menu != 0;
        },
        std::chrono::seconds(5));
  }
  return menu;
}

}  // namespace tw::testbed
