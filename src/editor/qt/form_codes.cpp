#include "editor/qt/form_codes.h"

#include <QDropEvent>
#include <QVBoxLayout>
#include <QMimeData>
#include <QUrl>

#include "editor/editor_core.h"

namespace tw {

namespace {

QStringList DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

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
  edit.setMarginType(0, QsciScintilla::NumberMargin);
  edit.setMarginWidth(0, "00000");
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
  edit.setMarginMarkerMask(0, 0);

  connect(&edit, &QsciScintilla::textChanged, this, &TFormCodes::TextEdited);
  connect(&edit, &QsciScintilla::cursorPositionChanged, this, [this](int line, int) { CaretMoved(line); });
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
