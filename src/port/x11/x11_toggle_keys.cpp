#include "port/x11/x11_toggle_keys.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {
namespace {

struct Lock {
  ::KeySym key;
  const char* indicator;
};

Lock lockFor(ToggleKey key) {
  switch (key) {
    case ToggleKey::CapsLock: return {XK_Caps_Lock, "Caps Lock"};
    case ToggleKey::NumLock: return {XK_Num_Lock, "Num Lock"};
    case ToggleKey::ScrollLock: return {XK_Scroll_Lock, "Scroll Lock"};
  }
  return {XK_Caps_Lock, "Caps Lock"};
}

// The real modifiers the layout locks with this key (Lock for Caps Lock, usually Mod2 for Num Lock); 0 when
// the key locks none, as Scroll Lock on most layouts, whose state then lives in its indicator only.
unsigned lockMask(Display* display, ::KeySym key) { return XkbKeysymToModifiers(display, key); }

}  // namespace

std::optional<bool> X11ToggleKeys::isOn(ToggleKey which) {
  Display* display = x_.display();
  const Lock lock = lockFor(which);
  if (const unsigned mask = lockMask(display, lock.key)) {
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return std::nullopt;
    return (state.locked_mods & mask) != 0;
  }
  Bool on = False;
  if (!XkbGetNamedIndicator(display, x_.atom(lock.indicator), nullptr, &on, nullptr, nullptr)) return std::nullopt;
  return on == True;
}

bool X11ToggleKeys::set(ToggleKey which, bool on) {
  const auto now = isOn(which);
  if (!now) return false;
  if (*now == on) return true;
  Display* display = x_.display();
  const Lock lock = lockFor(which);
  if (const unsigned mask = lockMask(display, lock.key)) {
    // Changes the lock itself, as the key would, without sending a key event to the focused window.
    XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(display, False);
  } else {
    XkbSetNamedIndicator(display, x_.atom(lock.indicator), True, on ? True : False, False, nullptr);
    XSync(display, False);
  }
  return isOn(which) == on;
}

}  // namespace tw::port::x11
