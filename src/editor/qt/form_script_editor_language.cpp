// The editor's language aids: Ctrl+J and "ACP" complete the word before the caret, the Commands/Functions
// menu puts a command's template at the caret, and the guide panel under the pages says what the word at
// the caret is.

#include <QAction>
#include <QMenuBar>
#include <QSplitter>
#include <algorithm>

#include "editor/command_menu.h"
#include "editor/qt/form_codes.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/guide_panel.h"

namespace tw {

void TFormScriptEditor::BuildLanguageAids() {
  GuidePanel = new TGuidePanel(completions_, split_);
  GuidePanel->Stepping = [this] { return core_.RunActive(); };
  split_->addWidget(GuidePanel);
  split_->setStretchFactor(0, 1);
  split_->setStretchFactor(1, 0);
  connect(split_, &QSplitter::splitterMoved, this, [this] {
    if (GuidePanel->isVisible()) guideHeight_ = GuidePanel->height();
  });

  ActionAutoComplete = new QAction("ACP", this);
  ActionAutoComplete->setShortcut(QKeySequence("Ctrl+J"));
  connect(ActionAutoComplete, &QAction::triggered, this, [this] {
    if (TFormCodes* form = ActiveForm()) form->CompleteWord(completions_);
  });
  ActionShowTips = new QAction("Show Tips", this);
  ActionShowTips->setCheckable(true);
  connect(ActionShowTips, &QAction::toggled, this, &TFormScriptEditor::ShowGuide);

  MenuCommands = new QMenu("&Commands/Functions", this);
  for (const editor::CommandMenuGroup& group : editor::ParseCommandMenu(editor::CommandMenuLines())) {
    QMenu* submenu = MenuCommands->addMenu(QString::fromStdString(group.caption));
    for (const editor::CommandMenuItem& item : group.items) {
      if (item.IsSeparator()) {
        submenu->addSeparator();
        continue;
      }
      submenu->addAction(QString::fromStdString(item.caption), this, [this, keyword = item.keyword] {
        if (TFormCodes* form = ActiveForm()) form->InsertTemplate(completions_, keyword);
      });
    }
  }
}

void TFormScriptEditor::ShowGuide(bool shown) {
  if (!shown && GuidePanel->isVisible()) guideHeight_ = GuidePanel->height();
  GuidePanel->PreferredHeight = guideHeight_;  // before the window is laid out
  GuidePanel->setVisible(shown);
  ActionShowTips->setChecked(shown);
  if (shown && split_->isVisible()) split_->setSizes({std::max(1, split_->height() - guideHeight_), guideHeight_});
}

}  // namespace tw
