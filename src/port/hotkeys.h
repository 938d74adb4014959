#pragma once
// System-wide hotkeys: key combinations taken from the whole desktop, so that pressing one reaches this
// program whichever window has the keyboard. Presses are served on the program's own thread: watch
// eventDescriptor() and call takePresses() when it is readable.

#include <memory>
#include <string>
#include <vector>

#include "port/keys.h"

namespace tw::port {

// Modifier bits of a combination.
enum HotKeyModifier : unsigned {
  kShiftModifier = 1,
  kControlModifier = 2,
  kAltModifier = 4,
  kSuperModifier = 8,  // the Windows key
};

struct KeyCombination {
  unsigned modifiers = 0;  // HotKeyModifier bits
  KeySym key = keys::kNone;
  friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

class HotKeys {
 public:
  virtual ~HotKeys() = default;

  // Takes the combination from the desktop under `id`. False when the desktop refuses it: another program
  // holds it, the key is none or on no key of the keyboard. A refused combination is not held at all. Lock
  // keys (Caps Lock, Num Lock, Scroll Lock) change nothing: the combination works with them on or off.
  virtual bool grab(int id, const KeyCombination& combination) = 0;
  // Gives the combination of `id` back; nothing happens when it holds none.
  virtual void release(int id) = 0;

  // Readable when presses or keyboard changes wait to be served; stays the same descriptor.
  virtual int eventDescriptor() const = 0;
  // Serves what waits, without blocking, and gives the ids of the combinations pressed, in order. A
  // combination held down counts once, however long the key repeats. The keyboard is left to the other
  // programs at once, so that keys typed afterwards reach the focused window.
  virtual std::vector<int> takePresses() = 0;
  // Whether Shift, Ctrl, Alt or the Windows key is down at this moment.
  virtual bool modifiersHeld() = 0;
};

// The hotkeys of the display named by DISPLAY, on a connection of their own; nullptr without a display,
// with `problem` saying why.
std::unique_ptr<HotKeys> openHotKeys(std::string& problem);

}  // namespace tw::port
