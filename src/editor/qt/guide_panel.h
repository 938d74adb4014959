#pragma once
// The guide panel under the pages: a read-only, pale yellow text that tells what the word at the caret is. It
// looks the word up a moment after the last key or mouse release in a watched page.

#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "editor/script_guide.h"

namespace tw {

class TFormCodes;

class TGuidePanel : public QTextEdit {
  Q_OBJECT

 public:
  TGuidePanel(const editor::CompletionList& list, QWidget* parent = nullptr);

  // Key and mouse releases in the page restart the wait.
  void Watch(TFormCodes& page);
  // True while a run steps through the script: the guide keeps still.
  std::function<bool()> Stepping;
  const editor::ScriptGuide& Guide() const { return guide_; }
  // The height the panel asks for when the window is first laid out.
  int PreferredHeight = 80;
  QSize sizeHint() const override { return {QTextEdit::sizeHint().width(), PreferredHeight}; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LookAtCaret();

  editor::ScriptGuide guide_;
  QTimer timer_;
  QPointer<TFormCodes> page_;  // the page released last
};

}  // namespace tw
