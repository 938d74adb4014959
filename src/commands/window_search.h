#pragma once
// Finding windows by title or class, bringing one to the front, and clicking its title bar: the window
// operations that the library's functions, the run path and the recorder share.

#include <functional>
#include <string>
#include <string_view>

#include "port/windows.h"
#include "text/ascii_text.h"

namespace tw {

class TTarnwickBasic;

// Walks the top-level windows, the topmost first, for one whose title (upper-cased) contains `text`
// (upper-cased), or begins with it when `prefixOnly`; a match ends the search. With `withChildren` the
// descendants of each top-level window that does not match are searched for a title containing the text;
// the first such descendant is remembered and the walk goes on, so a later match replaces it. Windows that
// are not visible are passed over unless `includeHidden`. The result is the window found last, or kNoWindow;
// an empty text matches nothing.
port::WindowId FindWindowByTitle(port::WindowService& windows, std::string_view text, bool prefixOnly,
                                 bool withChildren, bool includeHidden);
// The same search over window classes: a window matches when either half of its class (instance or class
// name) does.
port::WindowId FindWindowByClass(port::WindowService& windows, std::string_view text, bool prefixOnly,
                                 bool withChildren, bool includeHidden);
// The first descendant of `parent` whose title contains `text`, both upper-cased; kNoWindow for an empty text.
port::WindowId FindChildByTitle(port::WindowService& windows, port::WindowId parent, std::string_view text,
                                bool includeHidden);

// Waits the given milliseconds while the program's events go on; false when the waiting should end (a stop was
// requested).
using WaitStep = std::function<bool(int milliseconds)>;

// Makes the top-level window holding `window` the active one: asks for it, waits until the desktop reports it
// active, and asks again a few times. A minimised window is restored either way. True when it is active at the
// end. The windows outside scripts (the recorder, the finders) wait with their own event loop.
bool ForceForeground(port::WindowService& windows, port::WindowId window, const WaitStep& wait);
// The same through the library's Delay; a stop request ends it.
bool ForceForeground(TTarnwickBasic& library, port::WindowId window);
// Clicks the left button 5 pixels below the middle of the window's top edge (where the title bar is) and
// puts the cursor back.
void ClickTitleBar(TTarnwickBasic& library, port::WindowId window);

}  // namespace tw
