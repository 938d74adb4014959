#include "commands/key_player.h"

namespace tw {

namespace {

constexpr port::KeySym kLevelThreeShift = 0xfe03;  // AltGr
// Keys typed between two checkpoints: few enough that keys meant for a window that went away or lost the
// focus mostly never leave, many enough that the checks cost little next to the keys.
constexpr int kKeysPerRun = 8;

port::KeySym ModifierKey(Modifier modifier) {
  switch (modifier) {
    case Modifier::Shift: return port::keys::kShift;
    case Modifier::Ctrl: return port::keys::kControl;
    case Modifier::Alt: return port::keys::kAlt;
  }
  return port::keys::kNone;
}

// Counts the keys typed and asks the checkpoint after each run of them.
class Runs {
 public:
  explicit Runs(const KeyCheckpoint& checkpoint) : checkpoint_(checkpoint) {}
  // False once the checkpoint has ended the typing.
  bool Next() {
    if (ended_) return false;
    if (++typed_ < kKeysPerRun) return true;
    typed_ = 0;
    ended_ = checkpoint_ && !checkpoint_();
    return !ended_;
  }
  bool Check() {
    ended_ = checkpoint_ && !checkpoint_();
    return !ended_;
  }
  bool Ended() const { return ended_; }

 private:
  const KeyCheckpoint& checkpoint_;
  int typed_ = 0;
  bool ended_ = false;
};

// Which modifiers are down: a doubled prefix ("^^~a") presses Ctrl twice and releases it once.
class HeldModifiers {
 public:
  // Follows a modifier press or release; other actions leave it as it is.
  void Follow(const KeyAction& action) {
    if (action.Kind == KeyAction::Type::PressModifier) down_[static_cast<int>(action.Held)] = true;
    if (action.Kind == KeyAction::Type::ReleaseModifier) down_[static_cast<int>(action.Held)] = false;
  }
  bool Any() const { return down_[0] || down_[1] || down_[2]; }

 private:
  bool down_[3] = {false, false, false};
};

// The characters typed without held modifiers, in order: the ones the keyboard may have to lend keys for.
std::u32string Upcoming(const KeyPlan& plan) {
  std::u32string text;
  HeldModifiers held;
  for (const KeyAction& action : plan.Actions) {
    held.Follow(action);
    if (action.Kind == KeyAction::Type::Character && !held.Any()) text += action.Character;
  }
  return text;
}

}  // namespace

PlayResult PlayKeys(const KeyPlan& plan, port::KeyboardInjector& keyboard, port::ToggleKeys& toggles,
                    const KeyNotice& notice, const KeyCheckpoint& checkpoint) {
  Runs runs(checkpoint);
  if (!runs.Check()) return PlayResult::Ended;
  keyboard.prepare(Upcoming(plan));
  auto tap = [&](port::KeySym key, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count && runs.Next(); ++i) {
      keyboard.pressKey(key);
      keyboard.releaseKey(key);
    }
  };
  HeldModifiers held;
  for (const KeyAction& action : plan.Actions) {
    if (runs.Ended()) break;
    switch (action.Kind) {
      case KeyAction::Type::PressModifier:
        keyboard.pressKey(ModifierKey(action.Held));
        held.Follow(action);
        break;
      case KeyAction::Type::ReleaseModifier:
        keyboard.releaseKey(ModifierKey(action.Held));
        held.Follow(action);
        break;
      case KeyAction::Type::Key:
        tap(action.Key, action.Count);
        break;
      case KeyAction::Type::ToggleNumLock:
        if (auto on = toggles.isOn(port::ToggleKey::NumLock)) toggles.set(port::ToggleKey::NumLock, !*on);
        break;
      case KeyAction::Type::Notice:
        notice(action.Text);
        break;
      case KeyAction::Type::Character: {
        if (!held.Any()) {
          for (std::uint32_t i = 0; i < action.Count && runs.Next(); ++i)
            if (!keyboard.typeCharacter(action.Character)) {
              // A wait for lent keys that the checkpoint cut short is no missing key.
              if (!action.SilentIfMissing && runs.Check()) notice("Invalid KeyName");
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
        tap(stroke->key, action.Count);
        if (stroke->altGr) keyboard.releaseKey(kLevelThreeShift);
        if (stroke->shift) keyboard.releaseKey(port::keys::kShift);
        break;
      }
    }
  }
  if (runs.Ended()) {
    keyboard.releaseAll();
    return PlayResult::Ended;
  }
  return plan.Complete ? PlayResult::Complete : PlayResult::Unfinished;
}

}  // namespace tw
