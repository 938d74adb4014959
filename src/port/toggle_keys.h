#pragma once
// The lock state of the keyboard's toggle keys, as the keyboard itself has it (the state its lights show).

#include <optional>

namespace tw::port {

enum class ToggleKey { CapsLock, NumLock, ScrollLock };

class ToggleKeys {
 public:
  virtual ~ToggleKeys() = default;

  // nullopt when the keyboard has no such lock.
  virtual std::optional<bool> isOn(ToggleKey key) = 0;
  // Switches the lock on or off; true when it now has the requested state.
  virtual bool set(ToggleKey key, bool on) = 0;
};

}  // namespace tw::port
