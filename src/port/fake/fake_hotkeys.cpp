#include "port/fake/fake_hotkeys.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace tw::port::fake {

FakeHotKeys::FakeHotKeys() : wakeUp_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FakeHotKeys::~FakeHotKeys() {
  if (wakeUp_ >= 0) ::close(wakeUp_);
}

bool FakeHotKeys::grab(int id, const KeyCombination& combination) {
  if (combination.key == keys::kNone || std::find(elsewhere_.begin(), elsewhere_.end(), combination) != elsewhere_.end())
    return false;
  grabbed_[id] = combination;
  return true;
}

void FakeHotKeys::press(const KeyCombination& combination) {
  bool taken = false;
  for (const auto& [id, held] : grabbed_)
    if (held == combination) {
      pressed_.push_back(id);
      taken = true;
    }
  if (!taken) {
    passedOn_.push_back(combination);
    return;
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
}

std::vector<int> FakeHotKeys::takePresses() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wakeUp_, &count, sizeof count);
  std::vector<int> presses;
  presses.swap(pressed_);
  return presses;
}

bool FakeHotKeys::modifiersHeld() {
  if (modifierQueries_ <= 0) return false;
  --modifierQueries_;
  return true;
}

}  // namespace tw::port::fake
