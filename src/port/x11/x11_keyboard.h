#pragma once
// Key presses through the XTEST extension, on the display's current keyboard mapping.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "port/keyboard.h"
#include "port/x11/x11_key_readers.h"

namespace tw::port::x11 {

class X11Connection;

class X11Keyboard final : public KeyboardInjector {
 public:
  explicit X11Keyboard(X11Connection& connection);
  // Releases what is still pressed and gives lent keys back, after a short wait for their readers.
  ~X11Keyboard() override;
  X11Keyboard(const X11Keyboard&) = delete;
  X11Keyboard& operator=(const X11Keyboard&) = delete;

  bool pressKey(KeySym key) override;
  bool releaseKey(KeySym key) override;
  std::optional<KeyStroke> strokeFor(char32_t c) override;
  // Characters without a key are typed through a key code the keyboard does not use, lent the character
  // for the moment. Every unused key code takes part. A lent key keeps its character until every program
  // that got a press of it has read that press (see X11KeyReaders); only then may it take another.
  bool typeCharacter(char32_t c) override;
  void prepare(std::u32string_view upcoming) override;
  void releaseAll() override;
  bool finish(std::chrono::milliseconds bound) override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Lent {
    unsigned keycode;
    KeySym key;               // kNone: free
    std::uint64_t lastUse;    // number of the last key event that pressed it; 0 never
  };

  bool send(unsigned keycode, bool down);
  unsigned keycodeFor(KeySym key);
  // Lends keys for `key` and for as many of the coming characters as free or safely reusable keys allow.
  bool lendAhead(KeySym key);
  void findUnusedKeycodes();
  void dropTakenKeycodes();
  void writeMapping(std::vector<Lent*> changed);
  bool waitForReaders(Clock::time_point deadline);
  void settleShortcut();

  X11Connection& x_;
  X11KeyReaders readers_;
  bool searchedUnused_ = false;
  std::vector<Lent> lent_;             // every unused key code, by key code
  std::vector<unsigned> pressed_;      // key codes pressed and not yet released
  std::uint64_t events_ = 0;           // key events sent so far
  std::uint64_t readUpTo_ = 0;         // key events known to be read by their programs
  Clock::time_point lastKey_{};
  std::vector<KeySym> upcoming_;       // keysyms of the coming characters that the layout lacks
  std::size_t next_ = 0;               // position in upcoming_
  std::map<KeySym, std::optional<KeyStroke>> strokes_;
  int shortcutDepth_ = 0;              // Ctrl and Alt presses not yet released
  unsigned long shortcutFocus_ = 0;    // the focus window when the shortcut began  // the layout's key for each character asked about
};

}  // namespace tw::port::x11
