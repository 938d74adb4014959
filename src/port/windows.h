#pragma once
// The windows of other programs: finding them, reading what they are, and moving, activating or closing them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "port/geometry.h"

namespace tw::port {

// A window of the desktop. 0 is never a window; an id stays valid while the window exists.
using WindowId = std::uint64_t;
inline constexpr WindowId kNoWindow = 0;

// The two halves of a window's class: the instance (usually the program name, "xterm") and the class ("XTerm").
struct WindowClass {
  std::string instance;
  std::string name;
  friend bool operator==(const WindowClass&, const WindowClass&) = default;
};

struct WindowState {
  bool visible = false;    // shown on the screen, or minimised (a minimised window still counts as visible)
  bool minimised = false;
  bool maximised = false;  // maximised both horizontally and vertically
  friend bool operator==(const WindowState&, const WindowState&) = default;
};

// What windowsAt() looks for.
struct PointQuery {
  Point where;
  // Also the windows inside the top-level one that hold the point, down to the innermost.
  bool innermost = false;
  // A window of our own laid over the desktop (a full-screen overlay): passed over, with what is inside it.
  WindowId passOver = kNoWindow;
};

class WindowService {
 public:
  virtual ~WindowService() = default;

  // Top-level windows of every program, the topmost first, hidden ones included (see state()).
  virtual std::vector<WindowId> topLevelWindows() = 0;
  // Every window inside `window`, depth first: each child before its own children, the topmost child first.
  virtual std::vector<WindowId> descendants(WindowId window) = 0;
  // The top-level window that holds `window` (itself when it is one); kNoWindow when it no longer exists.
  virtual WindowId topLevelOf(WindowId window) = 0;

  // Title as UTF-8 text; empty for a window without a title or one that no longer exists.
  virtual std::string title(WindowId window) = 0;
  virtual WindowClass windowClass(WindowId window) = 0;
  // Process that owns the window, when the program tells.
  virtual std::optional<int> processId(WindowId window) = 0;
  // nullopt when the window no longer exists.
  virtual std::optional<WindowState> state(WindowId window) = 0;
  // The window's rectangle on the desktop; for a top-level window it includes the frame the window manager draws.
  virtual std::optional<Rect> frameRect(WindowId window) = 0;
  // The windows shown at a point of the desktop, the outermost first: the topmost top-level window there, then
  // (with `innermost`) the window inside it there, and so on. Windows below the topmost one never count, however
  // small: what the user sees at the point is what is found. Hidden and minimised windows show nowhere. Empty when
  // no window shows at the point.
  virtual std::vector<WindowId> windowsAt(const PointQuery& query) = 0;
  // The top-level window that receives keyboard input; kNoWindow when none.
  virtual WindowId activeWindow() = 0;
  // The window that has the keyboard focus, which may lie inside a top-level window; kNoWindow when none.
  virtual WindowId focusWindow() = 0;
  // Both windows belong to one program: the same connection to the desktop, or the same process.
  virtual bool sameProgram(WindowId a, WindowId b) = 0;
  virtual bool exists(WindowId window) = 0;
  // Size of the whole desktop (all screens).
  virtual Size desktopSize() = 0;

  // The requests below return whether the window took them (false when it no longer exists). Activation,
  // closing, minimising, maximising and restoring act on the top-level window that holds `window`.

  // Places the window so that frameRect() becomes `frame` (a window may round its size, e.g. to whole
  // character cells). Shows the window when it is hidden.
  virtual bool setFrameRect(WindowId window, const Rect& frame) = 0;
  // Asks for the window to become the active one, raised and with the keyboard focus, restoring it when it is
  // minimised and switching to its virtual desktop when it is on another. A window manager carries this out a
  // moment later: poll activeWindow() before typing into it.
  virtual bool activate(WindowId window) = 0;
  // Asks the window's program to close it, as the close button of its frame does. A window whose program does
  // not take part in that protocol is destroyed; the program's other windows are left alone.
  virtual bool close(WindowId window) = 0;
  virtual bool minimise(WindowId window) = 0;
  virtual bool maximise(WindowId window) = 0;
  // A minimised window comes back in its former state; otherwise a maximised window returns to its normal size.
  virtual bool restore(WindowId window) = 0;
};

}  // namespace tw::port
