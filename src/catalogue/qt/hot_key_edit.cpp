#include "catalogue/qt/hot_key_edit.h"

#include <QKeyEvent>

#include "catalogue/hotkey_text.h"
#include "catalogue/script_properties.h"

namespace tw {

namespace {

namespace keys = port::keys;

struct QtKey {
  int qt;
  port::KeySym key;
};

// Keys whose Qt code is not their keysym.
constexpr QtKey kQtKeys[] = {
    {Qt::Key_Backspace, keys::kBackspace}, {Qt::Key_Tab, keys::kTab}, {Qt::Key_Backtab, keys::kTab},
    {Qt::Key_Return, keys::kEnter}, {Qt::Key_Enter, 0xff8d}, {Qt::Key_Escape, keys::kEscape},
    {Qt::Key_Insert, keys::kInsert}, {Qt::Key_Delete, keys::kDelete}, {Qt::Key_Pause, keys::kPause},
    {Qt::Key_Print, keys::kPrint}, {Qt::Key_SysReq, 0xff15}, {Qt::Key_Clear, keys::kClear},
    {Qt::Key_Home, keys::kHome}, {Qt::Key_End, keys::kEnd}, {Qt::Key_Left, keys::kLeft}, {Qt::Key_Up, keys::kUp},
    {Qt::Key_Right, keys::kRight}, {Qt::Key_Down, keys::kDown}, {Qt::Key_PageUp, keys::kPageUp},
    {Qt::Key_PageDown, keys::kPageDown}, {Qt::Key_Menu, keys::kMenu}, {Qt::Key_Help, keys::kHelp},
    {Qt::Key_Shift, keys::kShift}, {Qt::Key_Control, keys::kControl}, {Qt::Key_Alt, keys::kAlt},
    {Qt::Key_Meta, keys::kSuper}, {Qt::Key_Super_L, keys::kSuper}, {Qt::Key_CapsLock, keys::kCapsLock},
    {Qt::Key_NumLock, keys::kNumLock}, {Qt::Key_ScrollLock, keys::kScrollLock},
};

port::KeySym KeyOfQtCode(int code) {
  for (const QtKey& entry : kQtKeys)
    if (entry.qt == code) return entry.key;
  if (code >= Qt::Key_F1 && code <= Qt::Key_F35) return keys::function(code - Qt::Key_F1 + 1);
  if (code >= Qt::Key_A && code <= Qt::Key_Z) return static_cast<port::KeySym>(code - Qt::Key_A + 'a');
  if (code > 0x20 && code <= 0xff) return static_cast<port::KeySym>(code);  // Latin-1: Qt's code is the keysym
  if (code == Qt::Key_Space) return keys::kSpace;
  return keys::kNone;
}

}  // namespace

HotKeyEdit::HotKeyEdit(QWidget* parent) : QLineEdit(parent) {
  setContextMenuPolicy(Qt::NoContextMenu);
  setToolTip("Press [Back Space] to clear");
}

void HotKeyEdit::SetCombination(const port::KeyCombination& combination) {
  combination_ = combination;
  setText(QString::fromStdString(HotKeyText(combination)));
}

port::KeyCombination HotKeyEdit::CombinationOf(const QKeyEvent& event) {
  port::KeyCombination combination;
  const Qt::KeyboardModifiers held = event.modifiers();
  if (held & Qt::ShiftModifier) combination.modifiers |= port::kShiftModifier;
  if (held & Qt::ControlModifier) combination.modifiers |= port::kControlModifier;
  if (held & Qt::AltModifier) combination.modifiers |= port::kAltModifier;
  if (held & Qt::MetaModifier) combination.modifiers |= port::kSuperModifier;
  combination.key = KeyOfQtCode(event.key());
  if (combination.key == keys::kNone && event.nativeVirtualKey() != 0) {
    combination.key = event.nativeVirtualKey();
    if (combination.key >= 'A' && combination.key <= 'Z') combination.key += 'a' - 'A';
  }
  return combination;
}

void HotKeyEdit::keyPressEvent(QKeyEvent* event) {
  const port::KeyCombination pressed = CombinationOf(*event);
  switch (JudgeHotKeyPress(pressed)) {
    case HotKeyPress::Taken:
      SetCombination(pressed);
      break;
    case HotKeyPress::Cleared:
      SetCombination({});
      break;
    case HotKeyPress::Refused:
      break;
  }
  event->accept();
}

bool HotKeyEdit::event(QEvent* event) {
  // The dialog's shortcuts are keys to capture too while the control has the focus; Tab alone still moves on.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    const auto* press = static_cast<QKeyEvent*>(event);
    const bool movesOn = (press->key() == Qt::Key_Tab || press->key() == Qt::Key_Backtab) &&
                         !(press->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (movesOn) return QLineEdit::event(event);
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QLineEdit::event(event);
}

}  // namespace tw
