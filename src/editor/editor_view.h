#pragma once
// What the editor's logic needs of its windows: the editing widget of each page, the debugger window, the
// questions it asks and the nested wait of a pause. The Qt windows implement it; tests record it.

#include <optional>
#include <string>
#include <vector>

namespace tw::editor {

struct EditorPage;

enum class SaveAnswer { Yes, No, Cancel };

class EditorView {
 public:
  virtual ~EditorView() = default;

  // ---- Pages ---------------------------------------------------------------------------------
  virtual void PageOpened(EditorPage& page) = 0;   // make its editing widget (empty, not modified)
  virtual void PageClosing(EditorPage& page) = 0;  // drop its widget; the page goes after this returns
  virtual void ShowPage(EditorPage& page) = 0;     // make it the visible page
  virtual void PageRenamed(EditorPage& page) = 0;  // caption, tab text, highlighting follow the file
  virtual std::string Text(const EditorPage& page) const = 0;
  virtual void SetText(EditorPage& page, const std::string& text) = 0;
  virtual bool Modified(const EditorPage& page) const = 0;
  virtual void SetModified(EditorPage& page, bool modified) = 0;
  virtual void SetReadOnly(EditorPage& page, bool readOnly) = 0;
  // Lines count from 0, columns from 0.
  virtual int CaretLine(const EditorPage& page) const = 0;
  virtual int CaretColumn(const EditorPage& page) const = 0;
  virtual void SetCaret(EditorPage& page, int line, int column) = 0;
  virtual std::string LineText(const EditorPage& page, int line) const = 0;
  // Replaces the selection (or inserts at the caret) with the text.
  virtual void InsertAtCaret(EditorPage& page, const std::string& text) = 0;
  // Lines first..last (counted from 0) become the given lines, joined by the page's line break, as one undo
  // step; the line break after `last` and every other byte of the page stay.
  virtual void ReplaceLines(EditorPage& page, int first, int last, const std::vector<std::string>& lines) = 0;
  // The page's line colours are to be drawn again (EditorCore::ColourOf).
  virtual void Repaint(EditorPage& page) = 0;

  // ---- The window ----------------------------------------------------------------------------
  // Running, paused, step mode or the watch values changed: actions, captions, status, tray.
  virtual void StateChanged() = 0;
  // Serves events until EndPause is called (or the application ends).
  virtual void WaitWhilePaused() = 0;
  virtual void EndPause() = 0;
  virtual void MinimiseApplication() = 0;
  virtual void RestoreApplication() = 0;
  virtual bool ApplicationMinimised() const = 0;
  virtual void ShowDebugger() = 0;
  virtual bool DebuggerExists() const = 0;
  virtual void WatchesChanged() = 0;

  // ---- Questions and messages ----------------------------------------------------------------
  virtual std::optional<std::string> AskSaveName(const std::string& suggested) = 0;
  virtual SaveAnswer AskSaveChanges(const std::string& fileName) = 0;
  // The text holds characters the file's encoding (Windows-1252) cannot hold: save it as UTF-8?
  virtual bool AskSaveAsUtf8(const std::string& fileName) = 0;
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowWarning(const std::string& text) = 0;
};

}  // namespace tw::editor
