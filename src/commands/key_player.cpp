#include "commands/key_player.h"

namespace tw {

namespace {

constexpr port::KeySym kLevelThreeShift = 0xfe03;  // AltGr

port::KeySym ModifierKey(Modifier modifier) {
  switch (modifier) {
    case Modifier::Shift: return port::keys::kShift;
    case Modifier::Ctrl: return port::keys::kControl;
    case Modifier::Alt: return port::keys::kAlt;
  }
  return port::keys::kNone;
}

void Tap(port::KeyboardInjector& keyboard, port::KeySym key, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    keyboard.pressKey(key);
    keyboard.releaseKey(key);
  }
}

}  // namespace

bool PlayKeys(const KeyPlan& plan, port::KeyboardInjector& keyboard, port::ToggleKeys& toggles,
              const KeyNotice& notice) {
  // Which modifiers are down: a doubled prefix ("^^~a") presses Ctrl twice and releases it once.
  bool down[3] = {false, false, false};
  const auto anyHeld = [&down] { return down[0] || down[1] || down[2]; };
  for (const KeyAction& action : plan.Actions) {
    switch (action.Kind) {
      case KeyAction::Type::PressModifier:
        keyboard.pressKey(ModifierKey(action.Held));
        down[static_cast<int>(action.Held)] = true;
        break;
      case KeyAction::Type::ReleaseModifier:
        keyboard.releaseKey(ModifierKey(action.Held));
        down[static_cast<int>(action.Held)] = false;
        break;
      case KeyAction::Type::Key:
        Tap(keyboard, action.Key, action.Count);
        break;
      case KeyAction::Type::ToggleNumLock:
        if (auto on = toggles.isOn(port::ToggleKey::NumLock)) toggles.set(port::ToggleKey::NumLock, !*on);
        break;
      case KeyAction::Type::Notice:
        notice(action.Text);
        break;
      case KeyAction::Type::Character: {
        if (!anyHeld()) {
          for (std::uint32_t i = 0; i < action.Count; ++i)
            if (!keyboard.typeCharacter(action.Character)) {
              if (!action.SilentIfMissing) notice("Invalid KeyName");
              break;
            }
          break;
        }
        // Held modifiers act on the key itself, as they do on a real keyboard.
        auto stroke = keyboard.strokeFor(action.Character);
        if (!stroke) {
          if (!action.SilentIfMissing) notice("Invalid KeyName");
          break;
        }
        if (stroke->shift) keyboard.pressKey(port::keys::kShift);
        if (stroke->altGr) keyboard.pressKey(kLevelThreeShift);
        Tap(keyboard, stroke->key, action.Count);
        if (stroke->altGr) keyboard.releaseKey(kLevelThreeShift);
        if (stroke->shift) keyboard.releaseKey(port::keys::kShift);
        break;
      }
    }
  }
  return plan.Complete;
}

}  // namespace tw
