#pragma once
// Applies the script styler to a page. Each line's end state is kept in the component's line state, so
// styling can begin at any line; an edit restyles from its line, and where a line after the changed text ends
// in the state it ended in before, the rest keeps its styles.

#include <Qsci/qscilexercustom.h>

#include <QFont>
#include <memory>
#include <string>
#include <vector>

#include "editor/script_styler.h"

namespace tw {

class ScriptLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  // `pageFont` is the page's; keywords are shown in its bold and comments in its italic form.
  ScriptLexer(std::shared_ptr<const editor::ScriptStyler> styler, const QFont& pageFont, QObject* parent = nullptr);

  const char* language() const override { return "Script"; }
  QString description(int style) const override;
  void styleText(int start, int end) override;
  void setEditor(QsciScintilla* edit) override;

  // Lines styled so far, for measuring how far an edit reaches.
  long long StyledLines() const { return styledLines_; }

 private:
  void TextModified(int position, int type, int length);

  std::shared_ptr<const editor::ScriptStyler> styler_;
  std::vector<editor::StyledToken> tokens_;
  std::string styles_;  // a style byte for each byte of text
  long long styledLines_ = 0;
  // Text before styledEnd_ has been styled at some time; its styles moved with the edits since.
  long styledEnd_ = 0;
  // Text changed since it was last styled lies before changedEnd_ (-1: none).
  long changedEnd_ = -1;
};

}  // namespace tw
