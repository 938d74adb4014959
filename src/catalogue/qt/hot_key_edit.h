#pragma once
// The hotkey capture control: shows the combination last pressed in it as hotkey text ("Ctrl+Alt+F5").
// Backspace alone clears it; a key without a modifier, or with Shift alone, leaves it as it was.

#include <QLineEdit>

#include "port/hotkeys.h"

class QKeyEvent;

namespace tw {

class HotKeyEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit HotKeyEdit(QWidget* parent = nullptr);

  port::KeyCombination Combination() const { return combination_; }
  void SetCombination(const port::KeyCombination& combination);

  // The key and modifiers of a key event: the X keysym the platform gives where it gives one, else the
  // key Qt names (letters as their lower-case keysyms, as the hotkey table keeps them).
  static port::KeyCombination CombinationOf(const QKeyEvent& event);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  port::KeyCombination combination_;
};

}  // namespace tw
