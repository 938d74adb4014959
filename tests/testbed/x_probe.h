#pragma once
// An observer of an X display with a connection of its own: what the server really holds, read independently
// of the code under test. Window ids are plain X window numbers.

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace tw::testbed {

struct WindowFacts {
  unsigned long id = 0;
  std::string title;           // _NET_WM_NAME, else WM_NAME
  std::string instance;        // WM_CLASS, first half
  std::string className;       // WM_CLASS, second half
  std::optional<int> pid;      // _NET_WM_PID
  bool viewable = false;       // mapped, and every ancestor too
  bool managed = false;        // a window manager put WM_STATE on it
};

class XProbe {
 public:
  // Throws std::runtime_error when the display does not open.
  explicit XProbe(const std::string& display);
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  // Every window of the display's tree except the root.
  std::vector<WindowFacts> allWindows();
  std::optional<WindowFacts> facts(unsigned long window);
  bool exists(unsigned long window);
  // Names of the atoms in the window's _NET_WM_STATE ("_NET_WM_STATE_MAXIMIZED_VERT", ...).
  std::vector<std::string> netWmState(unsigned long window);
  bool hasNetWmState(unsigned long window, const std::string& name);
  // WM_STATE: 1 normal, 3 iconic; nullopt when the window manager has not set it.
  std::optional<long> wmState(unsigned long window);
  // _NET_ACTIVE_WINDOW of the root; 0 when unset.
  unsigned long activeWindow();
  unsigned long inputFocus();
  // Position of the client area (inside any frame) on the screen, and its size.
  std::optional<std::pair<int, int>> rootPosition(unsigned long window);
  std::pair<int, int> pointer();
  std::pair<int, int> screenSize();
  // Name of the EWMH window manager that manages the screen right now; empty when there is none.
  std::string windowManagerName();

  // Keyboard: locked modifier mask and the state of a named indicator ("Caps Lock").
  unsigned lockedModifiers();
  std::optional<bool> indicator(const std::string& name);
  // Real modifier mask that the keysym (e.g. 0xff7f, Num Lock) locks.
  unsigned modifierMaskFor(unsigned long keysym);
  // Another client holds a passive grab of the key (on any key code carrying the keysym in the server's
  // current mapping) with exactly these real modifiers: the probe's own grab of it is refused.
  bool keyGrabbedElsewhere(unsigned long keysym, unsigned modifiers);
  // Another client holds the whole keyboard (an active grab): the probe's own grab of it is refused.
  bool keyboardGrabbed();

  // Starts counting bell rings on the display; bellsRung() then names the bells seen since ("" for unnamed).
  void watchBells();
  std::vector<std::string> bellsRung();

  // Creates and maps a plain top-level window owned by this connection, titled `title`, that takes part in
  // WM_DELETE_WINDOW only if asked to; it lives until destroyed by someone or until the probe ends.
  unsigned long createWindow(const std::string& title, bool takesDeleteRequests);
  void destroyWindow(unsigned long window);
  // Gives a window a WM_NAME of type STRING (Latin-1 bytes) and, when given, a UTF-8 _NET_WM_NAME.
  void setTitles(unsigned long window, const std::string& latin1Name, const std::optional<std::string>& utf8Name);
  // A WM_DELETE_WINDOW request reached a window made by createWindow().
  bool deleteRequested(unsigned long window);

 private:
  std::optional<std::vector<unsigned long>> longs(unsigned long window, const char* property, unsigned long type);
  std::string atomName(unsigned long atom);
  unsigned long atom(const char* name);
  void readEvents();
  _XDisplay* display_;
  int xkbEventBase_ = 0;
  std::vector<std::string> bells_;
  std::vector<unsigned long> deleteRequests_;
};

}  // namespace tw::testbed
