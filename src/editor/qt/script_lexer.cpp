#include "editor/qt/script_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <algorithm>
#include <string_view>

namespace tw {

using editor::LineState;
using editor::TokenStyle;

ScriptLexer::ScriptLexer(std::shared_ptr<const editor::ScriptStyler> styler, const QFont& pageFont, QObject* parent)
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
  const auto send = [edit](unsigned int message, long wParam, long lParam = 0) {
    return edit->SendScintilla(message, static_cast<unsigned long>(wParam), lParam);
  };
  const long length = send(QsciScintillaBase::SCI_GETLENGTH, 0);
  const long lineCount = send(QsciScintillaBase::SCI_GETLINECOUNT, 0);
  end = static_cast<int>(std::min<long>(end, length));
  long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
  // Lines up to this one hold changed text: their stored end states belong to the text before the edit.
  const long lastChangedLine =
      changedEnd_ < 0 ? -1 : send(QsciScintillaBase::SCI_LINEFROMPOSITION, std::min(changedEnd_, length));
  auto state = static_cast<LineState>(line > 0 ? send(QsciScintillaBase::SCI_GETLINESTATE, line - 1) : 0);
  long position = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);

  // The text from `position` to the start of the line after the last position asked for, in one piece; the
  // lines are split here as the component splits them (at CR LF, LF or CR).
  const char* text = nullptr;
  long textStart = 0;
  long textEnd = 0;
  const auto fetch = [&] {
    const long last = send(QsciScintillaBase::SCI_LINEFROMPOSITION, std::max<long>(position, end - 1));
    textStart = position;
    textEnd = last + 1 < lineCount ? send(QsciScintillaBase::SCI_POSITIONFROMLINE, last + 1) : length;
    // The component's message interface hands the pointer over as a number.
    text = reinterpret_cast<const char*>(  // NOLINT(performance-no-int-to-ptr)
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, textStart, textEnd - textStart));
    if (!text) textEnd = textStart;
  };
  // Styles are collected here and handed over in one piece: the component tells of every styling call.
  styles_.clear();
  const auto flush = [&] {
    if (!styles_.empty())
      edit->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(styles_.size()),
                          styles_.data());
    styles_.clear();
  };
  fetch();
  startStyling(static_cast<int>(position));
  while (position < end && position < textEnd) {
    const char* const at = text + (position - textStart);
    long lineEnd = position;
    while (lineEnd < textEnd && at[lineEnd - position] != '\n' && at[lineEnd - position] != '\r') ++lineEnd;
    long next = lineEnd;
    if (next < textEnd) {
      const char first = at[next - position];
      ++next;
      if (first == '\r' && next < textEnd && at[next - position] == '\n') ++next;
    }
    state = styler_->StyleLine(std::string_view(at, static_cast<std::size_t>(lineEnd - position)), state, tokens_);
    for (const editor::StyledToken& token : tokens_) styles_.append(token.Length, static_cast<char>(token.Style));
    styles_.append(static_cast<std::size_t>(next - lineEnd), static_cast<char>(TokenStyle::WhiteSpace));
    const auto before = static_cast<LineState>(send(QsciScintillaBase::SCI_GETLINESTATE, line));
    if (before != state) send(QsciScintillaBase::SCI_SETLINESTATE, line, static_cast<long>(state));
    ++styledLines_;
    position = next;
    if (line >= lastChangedLine) changedEnd_ = -1;  // the changed text is styled
    // Past the changed text, a line that ends as it ended before leaves the lines after it as they were.
    if (line > lastChangedLine && before == state && position < styledEnd_) {
      flush();
      line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, styledEnd_);
      position = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
      state = static_cast<LineState>(send(QsciScintillaBase::SCI_GETLINESTATE, line - 1));
      startStyling(static_cast<int>(position));
      if (position < end) fetch();
      continue;
    }
    ++line;
  }
  flush();
  styledEnd_ = std::max(styledEnd_, position);
}

}  // namespace tw
