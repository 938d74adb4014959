#pragma once
// One page of the script editor: the text component with the gutter, the bookmarks 0-9 and the line colours
// of breakpoints (red) and of the line a test run stands at (silver, over red).

#include <Qsci/qsciscintilla.h>

#include <QWidget>
#include <functional>

namespace tw::editor {
class EditorCore;
struct EditorPage;
}  // namespace tw::editor

namespace tw {

// The text component of a page; files dropped on it go to OnFilesDropped instead of into the text.
class ScriptContentEdit : public QsciScintilla {
  Q_OBJECT

 public:
  using QsciScintilla::QsciScintilla;
  std::function<void(const QStringList&)> OnFilesDropped;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
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

 private:
  void TextEdited();
  void CaretMoved(int line);
  void TrimLine(int line);

  bool loading_ = false;
  bool trimming_ = false;
  int editedLine_ = -1;  // the line the user changed last; its trailing blanks go when the caret leaves it
};

}  // namespace tw
