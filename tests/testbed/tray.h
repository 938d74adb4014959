#pragma once
// A program's tray icon on a test bed: the tray (wmdocker) the icon docks into, the icon's window and the
// menus a click on it opens.

#include <sys/types.h>

#include <string>

#include "test_bed.h"

namespace tw::testbed {

// Starts wmdocker as the system tray and returns once it owns the tray selection, so that a program started
// afterwards sees a tray.
void startTray(TestBed& bed);

// The X window of the program's tray icon: a viewable window of its process that no window manager manages
// (the tray holds it). 0 when none shows up in time.
unsigned long trayIcon(TestBed& bed, pid_t pid);

// Clicks the icon with `button` (1 left, 3 right) until a menu of the program shows and returns the menu's
// window (0 when none shows). A click that arrives while the window manager is still busy with a closed
// window can go astray, so it is repeated.
unsigned long openTrayMenu(TestBed& bed, pid_t pid, unsigned long icon, int button);

// The program's viewable menu windows (unmanaged, not the icon), the newest last.
std::vector<unsigned long> menusOf(TestBed& bed, pid_t pid, unsigned long icon);

}  // namespace tw::testbed
