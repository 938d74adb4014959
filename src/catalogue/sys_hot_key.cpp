#include "catalogue/sys_hot_key.h"

#include <algorithm>

#include "catalogue/hotkey_text.h"
#include "text/ascii_text.h"

namespace tw {

TSysHotKey::TSysHotKey(port::HotKeys* desktop) : desktop_(desktop) {}

TSysHotKey::~TSysHotKey() { SetActive(false); }

int TSysHotKey::AddHotKey(const std::string& text) {
  if (Trimmed(text).empty()) return -1;
  const port::KeyCombination combination = ParseHotKey(text);
  const auto held = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const HotKeyEntry& entry) { return entry.combination == combination; });
  if (held != entries_.end()) return static_cast<int>(held - entries_.begin());
  entries_.push_back({combination, false});
  if (active_) Register(entries_.size() - 1);
  return static_cast<int>(entries_.size() - 1);
}

void TSysHotKey::Clear() {
  if (active_)
    for (std::size_t i = 0; i < entries_.size(); ++i) Unregister(i);
  entries_.clear();
}

void TSysHotKey::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  for (std::size_t i = 0; i < entries_.size(); ++i) active ? Register(i) : Unregister(i);
}

void TSysHotKey::Register(std::size_t index) {
  HotKeyEntry& entry = entries_[index];
  entry.registered = desktop_ && entry.combination.key != port::keys::kNone &&
                     desktop_->grab(static_cast<int>(index), entry.combination);
}

void TSysHotKey::Unregister(std::size_t index) {
  HotKeyEntry& entry = entries_[index];
  if (!entry.registered) return;
  desktop_->release(static_cast<int>(index));
  entry.registered = false;
}

void TSysHotKey::ServeEvents() {
  if (!desktop_) return;
  // Presses that were on their way when the table went off belong to nobody.
  for (int index : desktop_->takePresses())
    if (active_ && index >= 0 && index < Count() && entries_[static_cast<std::size_t>(index)].registered && OnHotKey)
      OnHotKey(index);
}

}  // namespace tw
