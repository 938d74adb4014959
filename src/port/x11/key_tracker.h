#pragma once
// What recorded key events typed. Recorded events carry only key codes, so the keyboard is followed event by
// event: the keymap (xkbcommon), the modifiers and locks the keys set, dead keys combined through the locale's
// compose table, and the key codes that programs remap for a moment with the core ChangeKeyboardMapping request
// (xdotool and our own player lend a spare key to characters the layout lacks), applied where they occur in the
// stream. Internal to the X11 backend; it needs no X connection, so it runs on keymaps made from names too.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "port/input_recording.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

namespace tw::port::x11 {

class KeyTracker {
 public:
  // The compose table follows `locale` ("de_DE.UTF-8"); a locale that is not UTF-8 uses C.UTF-8's table, since
  // recorded text is UTF-8. Without any table dead keys type nothing.
  KeyTracker(xkb_context* context, const std::string& locale);
  ~KeyTracker();
  KeyTracker(const KeyTracker&) = delete;
  KeyTracker& operator=(const KeyTracker&) = delete;

  // A new keymap (the layout changed), taken over. The keys down stay down; the locks stay as they were.
  // Remapped key codes that the new keymap maps the same way are its own again.
  void useKeymap(xkb_keymap* keymap);
  // The locks of the server's state when recording begins, or after a request (not a key) changed them.
  void setLocks(std::uint32_t lockedMods, std::int32_t lockedGroup);
  // A core ChangeKeyboardMapping request: `count` key codes from `first`, `perKeycode` symbols each.
  void changeCoreMapping(unsigned first, unsigned perKeycode, const std::vector<std::uint32_t>& symbols);
  // One key event: what the key gives and types under the state before it; then the state follows it.
  InputEvent keyEvent(bool down, unsigned keycode);
  // Forgets a dead key that waits for the next key.
  void resetCompose();

 private:
  struct Symbols {
    KeySym key;
    KeySym base;
  };
  Symbols symbolsOf(unsigned keycode) const;
  KeySym coreSymbol(const std::vector<std::uint32_t>& symbols) const;
  bool modifierActive(const char* name, bool locked) const;
  // A group key (Mode_switch) is held or latched.
  bool groupSwitched() const;
  std::string textOf(KeySym key);

  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  xkb_compose_table* composeTable_ = nullptr;
  xkb_compose_state* compose_ = nullptr;
  std::map<unsigned, std::vector<std::uint32_t>> remapped_;
  std::set<unsigned> down_;
};

}  // namespace tw::port::x11
