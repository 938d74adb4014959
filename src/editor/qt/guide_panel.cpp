#include "editor/qt/guide_panel.h"

#include <QEvent>

#include "editor/editor_core.h"
#include "editor/qt/form_codes.h"

namespace tw {

TGuidePanel::TGuidePanel(const editor::CompletionList& list, QWidget* parent) : QTextEdit(parent), guide_(list) {
  setObjectName("GuidePanel");
  setReadOnly(true);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, QColor(0xff, 0xff, 0xe1));
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);
  setHtml(QString::fromStdString(editor::ScriptGuide::Html(editor::ScriptGuide::KeyboardText())));
  timer_.setSingleShot(true);
  timer_.setInterval(editor::ScriptGuide::kDelayMs);
  connect(&timer_, &QTimer::timeout, this, &TGuidePanel::LookAtCaret);
}

void TGuidePanel::Watch(TFormCodes& page) {
  // Keys reach the text component, the mouse its viewport.
  page.ScriptContent->installEventFilter(this);
  page.ScriptContent->viewport()->installEventFilter(this);
}

bool TGuidePanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease) {
    TFormCodes* page = nullptr;
    for (QObject* at = watched; at && !page; at = at->parent()) page = qobject_cast<TFormCodes*>(at);
    if (page && page->Page.IsScript() && editor::ScriptGuide::Follows(isVisible(), Stepping && Stepping())) {
      page_ = page;
      timer_.start();
    }
  }
  return QTextEdit::eventFilter(watched, event);
}

void TGuidePanel::LookAtCaret() {
  if (!page_ || !isVisible()) return;
  const auto [line, caret] = page_->CaretLineText();
  setHtml(QString::fromStdString(editor::ScriptGuide::Html(guide_.Look(line, caret))));
}

}  // namespace tw
