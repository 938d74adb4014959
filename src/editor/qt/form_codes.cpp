#include "editor/qt/form_codes.h"

#include <QDropEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "editor/completion_list.h"
#include "editor/editor_core.h"
#include "editor/qt/script_lexer.h"

namespace tw {

namespace {

// Room right of every line number, and left of the widest.
constexpr int kNumberPadding = 3;

QColor ColourOf(long bgr) {
  return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff),
                static_cast<int>((bgr >> 16) & 0xff));
}

int DigitsOf(long number) {
  int digits = 1;
  for (; number >= 10; number /= 10) ++digits;
  return digits;
}

QStringList DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

void ScriptContentEdit::ShowLineNumbers(int margin, int minDigits) {
  numberMargin_ = margin;
  minDigits_ = std::max(1, minDigits);
  // The component paints only the margin's background; the numbers come from PaintLineNumbers.
  setMarginType(margin, QsciScintilla::SymbolMarginColor);
  setMarginBackgroundColor(margin, ColourOf(SendScintilla(SCI_STYLEGETBACK, STYLE_LINENUMBER)));
  setMarginMarkerMask(margin, 0);
  setMarginsFont(font());
  connect(this, &QsciScintilla::linesChanged, this, &ScriptContentEdit::FitNumberMargin, Qt::UniqueConnection);
  connect(this, &QsciScintillaBase::SCN_ZOOM, this, &ScriptContentEdit::NumberFontChanged, Qt::UniqueConnection);
}

void ScriptContentEdit::setMarginsFont(const QFont& font) {
  QsciScintilla::setMarginsFont(font);
  marginsFont_ = font;
  if (numberMargin_ >= 0) NumberFontChanged();
}

void ScriptContentEdit::NumberFontChanged() {
  // The component draws every style, the margins' too, zoomed by this many points, but no smaller than 2.
  numberFont_ = marginsFont_;
  const qreal zoom = static_cast<qreal>(SendScintilla(SCI_GETZOOM));
  numberFont_.setPointSizeF(std::max<qreal>(2, numberFont_.pointSizeF() + zoom));
  numberAscent_ = std::floor(QFontMetricsF(numberFont_).ascent());  // the baseline as the component sets it
  numberGlyphFont_ = QRawFont::fromFont(numberFont_);
  const QList<quint32> glyphs = numberGlyphFont_.glyphIndexesForString(QStringLiteral("0123456789"));
  if (glyphs.size() == 10 && !glyphs.contains(0u)) {
    const QList<QPointF> advances = numberGlyphFont_.advancesForGlyphIndexes(glyphs);
    for (int d = 0; d < 10; ++d) {
      digitGlyphs_[d] = glyphs[d];
      digitAdvances_[d] = advances[d].x();
    }
  } else {
    numberGlyphFont_ = QRawFont();
  }
  digits_ = 0;
  FitNumberMargin();
}

void ScriptContentEdit::FitNumberMargin() {
  if (numberMargin_ < 0) return;
  const int digits = std::max(minDigits_, DigitsOf(lines()));
  if (digits == digits_) return;
  digits_ = digits;
  // The widest number in the zoomed margin font, with room on both sides.
  setMarginWidth(numberMargin_, QString(digits, QLatin1Char('0')));
  setMarginWidth(numberMargin_, marginWidth(numberMargin_) + 2 * kNumberPadding);
}

void ScriptContentEdit::paintEvent(QPaintEvent* event) {
  QsciScintilla::paintEvent(event);
  if (numberMargin_ >= 0) PaintLineNumbers(event->rect());
}

void ScriptContentEdit::PaintLineNumbers(const QRect& dirty) {
  int left = 0;
  for (int m = 0; m < numberMargin_; ++m) left += marginWidth(m);
  const QRect strip(left, 0, marginWidth(numberMargin_), viewport()->height());
  const QRect area = strip.intersected(dirty);
  const long height = SendScintilla(SCI_TEXTHEIGHT, 0L);
  if (area.isEmpty() || height <= 0) return;
  const long first = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  const long lineCount = SendScintilla(SCI_GETLINECOUNT);
  const qreal right = strip.right() + 1 - kNumberPadding;

  QPainter painter(viewport());
  painter.setClipRect(area);
  painter.setPen(ColourOf(SendScintilla(SCI_STYLEGETFORE, STYLE_LINENUMBER)));
  painter.setFont(numberFont_);
  glyphs_.clear();
  positions_.clear();
  for (long row = area.top() / height; row <= area.bottom() / height; ++row) {
    const long display = first + row;
    const long line = SendScintilla(SCI_DOCLINEFROMVISIBLE, display);
    if (line >= lineCount) break;
    if (SendScintilla(SCI_VISIBLEFROMDOCLINE, line) != display) continue;  // the rest of a wrapped line
    const qreal baseline = static_cast<qreal>(row * height) + numberAscent_;
    const long number = line + 1;
    if (!numberGlyphFont_.isValid()) {
      const QString text = QString::number(number);
      painter.drawText(QPointF(right - QFontMetricsF(numberFont_).horizontalAdvance(text), baseline), text);
      continue;
    }
    qreal x = right;
    for (long rest = number; rest > 0; rest /= 10) {
      const int digit = static_cast<int>(rest % 10);
      x -= digitAdvances_[digit];
      glyphs_.append(digitGlyphs_[digit]);
      positions_.append(QPointF(x, baseline));
    }
  }
  if (glyphs_.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(numberGlyphFont_);
  run.setGlyphIndexes(glyphs_);
  run.setPositions(positions_);
  painter.drawGlyphRun(QPointF(0, 0), run);
}

void ScriptContentEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  QsciScintilla::dragEnterEvent(event);
}

void ScriptContentEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  QsciScintilla::dragMoveEvent(event);
}

void ScriptContentEdit::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedFiles(event->mimeData());
  if (files.isEmpty() || !OnFilesDropped) {
    QsciScintilla::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  OnFilesDropped(files);
}

TFormCodes::TFormCodes(editor::EditorPage& page, QWidget* parent) : QWidget(parent), Page(page) {
  ScriptContent = new ScriptContentEdit(this);
  ScriptContent->setObjectName("ScriptContent");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ScriptContent);

  QsciScintilla& edit = *ScriptContent;
  edit.setUtf8(true);
  edit.setAutoIndent(true);
  edit.setTabWidth(2);
  edit.setIndentationsUseTabs(false);
  ScriptContent->ShowLineNumbers(0, 4);
  edit.setMarginType(1, QsciScintilla::SymbolMargin);
  edit.setMarginWidth(1, 14);
  edit.setMarginSensitivity(1, true);
  edit.setFolding(QsciScintilla::NoFoldStyle);
  edit.markerDefine(QsciScintilla::Background, kBreakpointMarker);
  edit.setMarkerBackgroundColor(QColor(Qt::red), kBreakpointMarker);
  edit.markerDefine(QsciScintilla::Background, kCurrentMarker);
  edit.setMarkerBackgroundColor(QColor(0xc0, 0xc0, 0xc0), kCurrentMarker);
  for (int n = 0; n < 10; ++n) {
    edit.markerDefine(static_cast<char>('0' + n), kBookmarkMarkerBase + n);
    edit.setMarkerForegroundColor(QColor(Qt::darkBlue), kBookmarkMarkerBase + n);
  }
  unsigned markerMask = 0;
  for (int n = 0; n < 10; ++n) markerMask |= 1u << (kBookmarkMarkerBase + n);
  edit.setMarginMarkerMask(1, static_cast<int>(markerMask));

  connect(&edit, &QsciScintilla::textChanged, this, &TFormCodes::TextEdited);
  connect(&edit, &QsciScintilla::cursorPositionChanged, this, [this](int line, int) { CaretMoved(line); });
}

void TFormCodes::UseHighlighter(std::shared_ptr<const editor::ScriptStyler> styler) {
  QsciLexer* old = ScriptContent->lexer();
  ScriptContent->setLexer(new ScriptLexer(std::move(styler), ScriptContent->font(), ScriptContent));
  delete old;
}

void TFormCodes::LoadText(const QString& text) {
  loading_ = true;
  ScriptContent->setText(text);
  ScriptContent->setModified(false);
  ScriptContent->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  loading_ = false;
  editedLine_ = -1;
}

void TFormCodes::TextEdited() {
  if (loading_ || trimming_) return;
  int line = 0;
  int index = 0;
  ScriptContent->getCursorPosition(&line, &index);
  if (editedLine_ >= 0 && editedLine_ != line) TrimLine(editedLine_);
  editedLine_ = line;
}

void TFormCodes::CaretMoved(int line) {
  if (loading_ || trimming_ || editedLine_ < 0 || line == editedLine_) return;
  const int edited = editedLine_;
  editedLine_ = -1;
  TrimLine(edited);
}

void TFormCodes::TrimLine(int line) {
  if (ScriptContent->isReadOnly() || line < 0 || line >= ScriptContent->lines()) return;
  const QString text = ScriptContent->text(line);
  int end = static_cast<int>(text.size());
  while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
  int kept = end;
  while (kept > 0 && (text[kept - 1] == ' ' || text[kept - 1] == '\t')) --kept;
  if (kept == end) return;
  trimming_ = true;
  int caretLine = 0;
  int caretIndex = 0;
  ScriptContent->getCursorPosition(&caretLine, &caretIndex);
  ScriptContent->setSelection(line, kept, line, end);
  ScriptContent->removeSelectedText();
  ScriptContent->setCursorPosition(caretLine, caretIndex);
  trimming_ = false;
}

std::pair<std::string, std::size_t> TFormCodes::CaretLineText() const {
  int line = 0;
  int index = 0;
  ScriptContent->getCursorPosition(&line, &index);
  const long start =
      ScriptContent->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end =
      ScriptContent->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  // Positions and the caret's index count the document's bytes (UTF-8); the range is copied with a final NUL.
  std::string text(static_cast<std::size_t>(end - start) + 1, '\0');
  ScriptContent->SendScintilla(QsciScintilla::SCI_GETTEXTRANGE, start, end, text.data());
  text.pop_back();
  return {text, std::min(static_cast<std::size_t>(index), text.size())};
}

const char* TFormCodes::LineBreak() const {
  switch (ScriptContent->eolMode()) {
    case QsciScintilla::EolWindows: return "\r\n";
    case QsciScintilla::EolMac: return "\r";
    default: return "\n";
  }
}

void TFormCodes::CompleteWord(const editor::CompletionList& list) {
  if (ScriptContent->isReadOnly()) return;
  const auto [line, caret] = CaretLineText();
  if (const std::optional<editor::Expansion> expansion =
          editor::ExpandWordBeforeCaret(list, std::string_view(line).substr(0, caret), LineBreak()))
    Apply(*expansion);
}

void TFormCodes::InsertTemplate(const editor::CompletionList& list, const std::string& keyword) {
  if (ScriptContent->isReadOnly()) return;
  ScriptContent->beginUndoAction();
  if (ScriptContent->hasSelectedText()) ScriptContent->removeSelectedText();
  const auto [line, caret] = CaretLineText();
  Apply(editor::ExpandKeyword(list, keyword, std::string_view(line).substr(0, caret), LineBreak()));
  ScriptContent->endUndoAction();
}

// The expansion replaces the text from its start to the caret on the caret's line.
void TFormCodes::Apply(const editor::Expansion& expansion) {
  QsciScintilla& edit = *ScriptContent;
  const long caret = edit.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
  const long lineStart =
      edit.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE,
                         static_cast<unsigned long>(edit.SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION,
                                                                       static_cast<unsigned long>(caret))));
  const long start = lineStart + static_cast<long>(expansion.start);
  edit.beginUndoAction();
  edit.SendScintilla(QsciScintilla::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
  edit.SendScintilla(QsciScintilla::SCI_SETTARGETEND, static_cast<unsigned long>(caret));
  edit.SendScintilla(QsciScintilla::SCI_REPLACETARGET, expansion.text.size(), expansion.text.c_str());
  edit.SendScintilla(QsciScintilla::SCI_GOTOPOS,
                     static_cast<unsigned long>(start + static_cast<long>(expansion.caret)));
  edit.endUndoAction();
}

void TFormCodes::PlaceLineMarkers(const editor::EditorCore& core) {
  ScriptContent->markerDeleteAll(kBreakpointMarker);
  ScriptContent->markerDeleteAll(kCurrentMarker);
  const int lines = ScriptContent->lines();
  for (const int line : Page.breakpoints)
    if (line < lines && core.ColourOf(Page, line) == editor::LineColour::Breakpoint)
      ScriptContent->markerAdd(line, kBreakpointMarker);
  if (Page.currentLine < lines && core.ColourOf(Page, Page.currentLine) == editor::LineColour::Current)
    ScriptContent->markerAdd(Page.currentLine, kCurrentMarker);
}

void TFormCodes::SetBookmark(int number) {
  const int marker = kBookmarkMarkerBase + number;
  int line = 0;
  int index = 0;
  ScriptContent->getCursorPosition(&line, &index);
  const bool here = (ScriptContent->markersAtLine(line) & (1u << marker)) != 0;
  ScriptContent->markerDeleteAll(marker);
  if (!here) ScriptContent->markerAdd(line, marker);
}

void TFormCodes::GoToBookmark(int number) {
  const int line = ScriptContent->markerFindNext(0, 1u << (kBookmarkMarkerBase + number));
  if (line >= 0) ScriptContent->setCursorPosition(line, 0);
}

}  // namespace tw
