#pragma once
// Key presses through the XTEST extension, on the display's current keyboard mapping.

#include <cstdint>
#include <vector>

#include "port/keyboard.h"

namespace tw::port::x11 {

class X11Connection;

class X11Keyboard final : public KeyboardInjector {
 public:
  explicit X11Keyboard(X11Connection& connection) : x_(connection) {}
  ~X11Keyboard() override;
  X11Keyboard(const X11Keyboard&) = delete;
  X11Keyboard& operator=(const X11Keyboard&) = delete;

  bool pressKey(KeySym key) override;
  bool releaseKey(KeySym key) override;
  std::optional<KeyStroke> strokeFor(char32_t c) override;
  // Characters without a key are typed through a spare key code that is given the character for the
  // moment. The spare codes keep their character until they are needed again (a program reads the new
  // mapping only when the key event reaches it) and get their empty mapping back when this object ends.
  bool typeCharacter(char32_t c) override;

 private:
  bool send(unsigned keycode, bool down);
  unsigned borrowKeycode(KeySym key);

  struct Borrowed {
    unsigned keycode;
    KeySym key;
  };
  X11Connection& x_;
  std::vector<Borrowed> borrowed_;  // least recently used first
};

}  // namespace tw::port::x11
