#pragma once
// Hotkeys of the fake desktop: the test presses combinations, other programs' combinations are marked,
// and what is held can be read back.

#include <map>
#include <set>
#include <vector>

#include "port/hotkeys.h"

namespace tw::port::fake {

class FakeHotKeys final : public HotKeys {
 public:
  FakeHotKeys();
  ~FakeHotKeys() override;
  FakeHotKeys(const FakeHotKeys&) = delete;
  FakeHotKeys& operator=(const FakeHotKeys&) = delete;

  // Another program holds the combination: grabs of it are refused.
  void holdElsewhere(const KeyCombination& combination) { elsewhere_.push_back(combination); }
  // The user presses the combination: the ids holding it come out of the next takePresses(); when none
  // holds it, the press goes to the focused program (passedOn()).
  void press(const KeyCombination& combination);
  // The next `queries` calls of modifiersHeld() answer true.
  void holdModifiersFor(int queries) { modifierQueries_ = queries; }

  // What is held now, by id.
  const std::map<int, KeyCombination>& grabbed() const { return grabbed_; }
  // Presses that no id held.
  const std::vector<KeyCombination>& passedOn() const { return passedOn_; }

  bool grab(int id, const KeyCombination& combination) override;
  void release(int id) override { grabbed_.erase(id); }
  int eventDescriptor() const override { return wakeUp_; }
  std::vector<int> takePresses() override;
  bool modifiersHeld() override;

 private:
  int wakeUp_;
  std::vector<KeyCombination> elsewhere_;
  std::map<int, KeyCombination> grabbed_;
  std::vector<int> pressed_;
  std::vector<KeyCombination> passedOn_;
  int modifierQueries_ = 0;
};

}  // namespace tw::port::fake
