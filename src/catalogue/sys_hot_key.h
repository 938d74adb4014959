#pragma once
// TSysHotKey: the table of system-wide hotkeys that the catalogue's listings fill. Every entry is a key
// combination registered with the desktop under its index while the table is active; a press of one raises
// OnHotKey with that index.

#include <functional>
#include <string>
#include <vector>

#include "catalogue/script_listing.h"
#include "port/hotkeys.h"

namespace tw {

struct HotKeyEntry {
  port::KeyCombination combination;
  bool registered = false;  // the desktop took it
};

class TSysHotKey : public HotKeyTable {
 public:
  // `desktop` may be nullptr (no display): then no entry is ever registered.
  explicit TSysHotKey(port::HotKeys* desktop);
  // Gives every registered combination back.
  ~TSysHotKey() override;
  TSysHotKey(const TSysHotKey&) = delete;
  TSysHotKey& operator=(const TSysHotKey&) = delete;

  // Reads the hotkey text and gives the index of its entry: a new one, registered while active, or the entry
  // that already holds the same combination (listings add the same scripts again and again). An empty text
  // adds nothing (-1). A text whose key is unknown makes an entry that is never registered.
  int AddHotKey(const std::string& text) override;
  // Unregisters every entry and empties the table.
  void Clear();
  int Count() const { return static_cast<int>(entries_.size()); }
  // A copy of the entry; index must be below Count().
  HotKeyEntry Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

  // While active every entry is registered with the desktop; switching off gives them all back, so that the
  // combinations reach the focused program.
  bool Active() const { return active_; }
  void SetActive(bool active);

  // Raised for a press of entry `index` while active.
  std::function<void(int index)> OnHotKey;
  // The descriptor to watch for presses (-1 without a desktop); ServeEvents when it is readable.
  int EventDescriptor() const { return desktop_ ? desktop_->eventDescriptor() : -1; }
  void ServeEvents();
  // Whether Shift, Ctrl, Alt or the Windows key is down now.
  bool ModifiersHeld() const { return desktop_ && desktop_->modifiersHeld(); }

 private:
  void Register(std::size_t index);
  void Unregister(std::size_t index);

  port::HotKeys* desktop_;
  std::vector<HotKeyEntry> entries_;
  bool active_ = false;
};

}  // namespace tw
