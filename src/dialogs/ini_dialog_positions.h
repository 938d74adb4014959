#pragma once
// Remembered dialog positions in section "DialogPosition" of a settings file, through the INI store, so that
// everything else the file holds stays as it was.

#include <string>

#include "dialogs/dialog_positions.h"

namespace tw {

class IniDialogPositions : public DialogPositionStore {
 public:
  explicit IniDialogPositions(std::string settingsFile) : file_(std::move(settingsFile)) {}

  // A file that cannot be read counts as one without positions.
  std::optional<int> Read(const std::string& key) override;
  // A position is a convenience: a file that cannot be written leaves the dialog where it opens by default
  // next time, and the script goes on.
  void Write(const std::string& keyX, int x, const std::string& keyY, int y) override;

 private:
  std::string file_;
};

}  // namespace tw
