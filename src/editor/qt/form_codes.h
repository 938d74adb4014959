#pragma once
// One page of the script editor: the text component with the gutter, the bookmarks 0-9 and the line colours
// of breakpoints (red) and of the line a test run stands at (silver, over red).

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
#include <QList>
#include <QRawFont>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace tw::editor {
class CompletionList;
class EditorCore;
class ScriptStyler;
struct EditorPage;
struct Expansion;
}  // namespace tw::editor

namespace tw {

// The text component of a page; files dropped on it go to OnFilesDropped instead of into the text.
class ScriptContentEdit : public QsciScintilla {
  Q_OBJECT

 public:
  using QsciScintilla::QsciScintilla;
  std::function<void(const QStringList&)> OnFilesDropped;

  // Makes `margin` the line-number margin, in the margins' font and colours. The numbers are painted here from
  // digit glyphs looked up once: the component's own number margin measures and shapes every number's text
  // anew on each repaint, which made scrolling a large script markedly slower. The margin is as wide as the
  // widest number needs, at least `minDigits` digits; it widens when the script grows by a digit and follows
  // the zoom and the margins' font.
  void ShowLineNumbers(int margin, int minDigits);
  void setMarginsFont(const QFont& font) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void NumberFontChanged();
  void FitNumberMargin();
  void PaintLineNumbers(const QRect& dirty);

  int numberMargin_ = -1;
  int minDigits_ = 1;
  int digits_ = 0;  // the digits the margin's width is fitted to
  QFont marginsFont_;
  QFont numberFont_;          // zoomed
  QRawFont numberGlyphFont_;  // invalid when the font lacks a digit: the numbers are then drawn as text
  std::array<quint32, 10> digitGlyphs_{};
  std::array<qreal, 10> digitAdvances_{};
  qreal numberAscent_ = 0;
  QList<quint32> glyphs_;  // reused by every paint
  QList<QPointF> positions_;
};

class TFormCodes : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBreakpointMarker = 20;
  static constexpr int kCurrentMarker = 21;  // drawn over the breakpoint marker
  static constexpr int kBookmarkMarkerBase = 0;  // bookmarks 0-9 are markers 0-9

  TFormCodes(editor::EditorPage& page, QWidget* parent = nullptr);

  editor::EditorPage& Page;
  ScriptContentEdit* ScriptContent = nullptr;

  // Sets the text as loaded from the file: no trimming, not modified, undo history empty.
  void LoadText(const QString& text);
  // Breakpoint and current-line markers placed again from the page's lists.
  void PlaceLineMarkers(const editor::EditorCore& core);
  void SetBookmark(int number);
  void GoToBookmark(int number);
  // Highlights the script by the styler's rules, in the page's font.
  void UseHighlighter(std::shared_ptr<const editor::ScriptStyler> styler);
  // Ctrl+J: the word before the caret becomes its template; a word without one stays as it is.
  void CompleteWord(const editor::CompletionList& list);
  // The template of a keyword (the Commands/Functions menu) in place of the selection or at the caret.
  void InsertTemplate(const editor::CompletionList& list, const std::string& keyword);
  // The caret's line (UTF-8) and the caret's byte offset in it.
  std::pair<std::string, std::size_t> CaretLineText() const;

 private:
  void TextEdited();
  void CaretMoved(int line);
  void TrimLine(int line);
  void Apply(const editor::Expansion& expansion);
  const char* LineBreak() const;

  bool loading_ = false;
  bool trimming_ = false;
  int editedLine_ = -1;  // the line the user changed last; its trailing blanks go when the caret leaves it
};

}  // namespace tw
