#pragma once
// The script commands the command assistant writes from what the user pointed at: a block that runs when a
// window can be focused, mouse commands with coordinates, and waits for a text in a window or on a terminal's
// screen. Texts are written as script literals, so a title with a double quote still gives a working line.

#include <string>

#include "port/geometry.h"

namespace tw::editor {

enum class MouseCommand { MouseClick, MouseClickRel, MouseClickAbs, MouseMove, MouseUpDown };

// "IF FOCUS(<title>, 5) = True THEN" ... "ENDIF" with a placeholder line; FOCUSCLASS with the class when the
// window has no title.
std::string FocusBlock(const std::string& title, const std::string& windowClass);

// MOUSECLICK of a window inside a program's window, by both titles.
std::string MouseClickCommand(const std::string& parentTitle, const std::string& title);
// MOUSECLICKREL at a point relative to the window `title` (screen coordinates when no window was picked).
std::string MouseClickRelCommand(const std::string& title, port::Point point);
// MOUSECLICKABS, MOUSEMOVE or MOUSEUPDOWN (left button up) at a screen point.
std::string MousePointCommand(MouseCommand command, port::Point point);

// WAITWIN for a window inside a program's window.
std::string WaitWinCommand(const std::string& parentTitle, const std::string& title);

// Text read from a terminal's screen: where it starts (row and column counted from 1) and what it is.
struct ScreenCapture {
  int row = 0;
  int column = 0;
  std::string text;
  friend bool operator==(const ScreenCapture&, const ScreenCapture&) = default;
};

// WAITDOS for the captured text (line breaks removed), or GRAB of as many characters as it has.
std::string WaitDosCommand(const ScreenCapture& capture);
std::string GrabCommand(const ScreenCapture& capture);

}  // namespace tw::editor
