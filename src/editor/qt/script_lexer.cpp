#include "editor/qt/script_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <algorithm>
#include <string_view>

namespace tw {

using editor::LineState;
using editor::TokenStyle;

ScriptLexer::ScriptLexer(std::shared_ptr<const editor::ScriptStyler> styler, const QFont& pageFont,
                         QObject* parent)
    : QsciLexerCustom(parent), styler_(std::move(styler)) {
  setDefaultFont(pageFont);
  setDefaultColor(Qt::black);
  setDefaultPaper(Qt::white);
  for (int style = 0; style < editor::kTokenStyleCount; ++style) {
    QFont styleFont = pageFont;
    QColor colour = Qt::black;
    switch (static_cast<TokenStyle>(style)) {
      case TokenStyle::Comment:
        styleFont.setItalic(true);
        colour = Qt::red;
        break;
      case TokenStyle::String:
      case TokenStyle::Block: colour = Qt::blue; break;
      case TokenStyle::Number: colour = QColor(0, 0, 0x80); break;
      case TokenStyle::Keyword: styleFont.setBold(true); break;
      default: break;
    }
    setFont(styleFont, style);
    setColor(colour, style);
    setPaper(Qt::white, style);
  }
}

QString ScriptLexer::description(int style) const {
  switch (static_cast<TokenStyle>(style)) {
    case TokenStyle::WhiteSpace: return "Default";
    case TokenStyle::Comment: return "Comment";
    case TokenStyle::String: return "String";
    case TokenStyle::Number: return "Number";
    case TokenStyle::Keyword: return "Keyword";
    case TokenStyle::Identifier: return "Identifier";
    case TokenStyle::Symbol: return "Symbol";
    case TokenStyle::Block: return "Block";
  }
  return {};
}

void ScriptLexer::setEditor(QsciScintilla* edit) {
  if (QsciScintilla* old = editor()) disconnect(old, nullptr, this, nullptr);
  QsciLexerCustom::setEditor(edit);
  styledEnd_ = 0;
  changedEnd_ = -1;
  if (edit)
    connect(edit, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
              TextModified(position, type, length);
            });
}

// Keeps styledEnd_ and changedEnd_ on the same text as the edit moves it.
void ScriptLexer::TextModified(int position, int type, int length) {
  if (type & QsciScintillaBase::SC_MOD_INSERTTEXT) {
    if (styledEnd_ > position) styledEnd_ += length;
    if (changedEnd_ > position) changedEnd_ += length;
    changedEnd_ = std::max<long>(changedEnd_, long{position} + length);
  } else if (type & QsciScintillaBase::SC_MOD_DELETETEXT) {
    if (styledEnd_ > position) styledEnd_ = std::max<long>(position, styledEnd_ - length);
    if (changedEnd_ > position) changedEnd_ = std::max<long>(position, changedEnd_ - length);
    changedEnd_ = std::max<long>(changedEnd_, position);
  }
}

void ScriptLexer::styleText(int start, int end) {
  QsciScintilla* edit = editor();
  if (!edit) return;
  const long lineCount = edit->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  const long length = edit->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  long line = edit->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
  // Lines up to this one hold changed text: their stored end states belong to the text before the edit.
  const long lastChangedLine =
      changedEnd_ < 0 ? -1
                      : edit->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                            static_cast<unsigned long>(std::min(changedEnd_, length)));
  auto state = static_cast<LineState>(
      line > 0 ? edit->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, static_cast<unsigned long>(line - 1)) : 0);
  long position = edit->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  startStyling(static_cast<int>(position));
  while (line < lineCount && position < end) {
    const long lineEnd =
        edit->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    const long next = line + 1 < lineCount
                          ? edit->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                                static_cast<unsigned long>(line + 1))
                          : length;
    const auto* text = reinterpret_cast<const char*>(edit->SendScintilla(
        QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(position), lineEnd - position));
    state = styler_->StyleLine(std::string_view(text ? text : "", static_cast<std::size_t>(lineEnd - position)),
                               state, tokens_);
    // Runs of one style go to the component as one.
    std::size_t run = 0;
    TokenStyle runStyle = TokenStyle::WhiteSpace;
    for (const editor::StyledToken& token : tokens_) {
      if (token.Style != runStyle && run > 0) {
        setStyling(static_cast<int>(run), static_cast<int>(runStyle));
        run = 0;
      }
      runStyle = token.Style;
      run += token.Length;
    }
    if (run > 0) setStyling(static_cast<int>(run), static_cast<int>(runStyle));
    if (next > lineEnd) setStyling(static_cast<int>(next - lineEnd), static_cast<int>(TokenStyle::WhiteSpace));
    const auto before = static_cast<LineState>(
        edit->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, static_cast<unsigned long>(line)));
    if (before != state)
      edit->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line),
                          static_cast<long>(state));
    ++styledLines_;
    position = next;
    if (line >= lastChangedLine) changedEnd_ = -1;  // the changed text is styled
    // Past the changed text, a line that ends as it ended before leaves the lines after it as they were.
    if (line > lastChangedLine && before == state && position < styledEnd_) {
      line = edit->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(styledEnd_));
      position = edit->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
      state = static_cast<LineState>(
          edit->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, static_cast<unsigned long>(line - 1)));
      startStyling(static_cast<int>(position));
      continue;
    }
    ++line;
  }
  styledEnd_ = std::max(styledEnd_, position);
}

}  // namespace tw
