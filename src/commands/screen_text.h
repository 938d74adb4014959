#pragma once
// Text on the screen of a terminal window.

#include <string>

#include "port/windows.h"

namespace tw {

class TTarnwickBasic;

// `length` characters of the terminal window's screen from (row, column), both counted from 1; a row or
// column below 1 counts as 1, a row below the screen as the last one, and the text ends where the row does.
// When the window's screen cannot be read the user is told "Cannot read text from DOS Screen." and the result
// is empty. `keyDelay` and `useMenuKeys` belong to terminals that are read by selecting with keys; the
// readers of this desktop need neither.
std::string ReadConsoleText(TTarnwickBasic& library, int row, int column, int length, int keyDelay,
                            bool useMenuKeys, port::WindowId window);

}  // namespace tw
