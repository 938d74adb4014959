#pragma once
// System-wide hotkeys on an X display: passive key grabs on the root window, on a connection of their own
// so that their events never mix with the other services' requests.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "port/hotkeys.h"

namespace tw::port::x11 {

class X11Connection;

class X11HotKeys final : public HotKeys {
 public:
  // nullptr when the display cannot be used; `problem` then says why.
  static std::unique_ptr<X11HotKeys> open(const std::string& displayName, std::string& problem);
  ~X11HotKeys() override;
  X11HotKeys(const X11HotKeys&) = delete;
  X11HotKeys& operator=(const X11HotKeys&) = delete;

  bool grab(int id, const KeyCombination& combination) override;
  void release(int id) override;
  int eventDescriptor() const override { return events_; }
  std::vector<int> takePresses() override;
  bool modifiersHeld() override;

 private:
  // One combination as the server holds it: every key code that carries the key, each with the wanted
  // modifiers and every mix of the lock modifiers.
  struct Grab {
    KeyCombination combination;
    std::vector<unsigned> keycodes;
    unsigned modifiers = 0;
    bool held = false;
  };

  X11HotKeys(std::unique_ptr<X11Connection> connection, int xkbEventBase, int events, int timer);
  void readModifiers();
  bool take(Grab& grab);
  void drop(Grab& grab);
  void takeAllAgain();
  void press(unsigned keycode, unsigned state, std::vector<int>& presses);
  void forgetReleasedKeys();
  // Makes the descriptor readable after `delay` ms (0: at once), or never (-1).
  void wakeAfter(int delay);
  void wakeIfQueued();

  std::unique_ptr<X11Connection> x_;
  int xkbEventBase_;
  int events_;  // epoll descriptor over the connection and the timer
  int timer_;
  std::map<int, Grab> grabs_;
  std::set<unsigned> downKeys_;  // keys pressed as a hotkey and not yet seen released
  unsigned altMask_ = 0;
  unsigned superMask_ = 0;
  std::vector<unsigned> lockMixes_;  // every mix of the lock modifiers, 0 first
};

}  // namespace tw::port::x11
