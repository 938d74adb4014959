#pragma once
// Where dialogs that ask for it (position mode 2) were last closed, kept by caption in the settings file of the
// running program.

#include <optional>
#include <string>
#include <string_view>

namespace tw {

class DialogPositionStore {
 public:
  virtual ~DialogPositionStore() = default;
  // One remembered coordinate; nothing when the key is missing or holds no whole number.
  virtual std::optional<int> Read(const std::string& key) = 0;
  // Both coordinates at once, keeping everything else the settings file holds.
  virtual void Write(const std::string& keyX, int x, const std::string& keyY, int y) = 0;
};

// The caption as the keys of a dialog's position use it ("<caption>_X", "<caption>_Y"): without the suffix that
// starts with " - [" (the designer's " - [Edit]"), and with line breaks, "=" and a leading "[", ";" or blank
// percent-encoded, so that no caption can break the settings file, add keys to it or lose its key to the
// trimming of names. Other captions stay as they are.
std::string DialogPositionKey(std::string_view caption);

}  // namespace tw
