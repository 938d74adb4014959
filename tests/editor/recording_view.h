#pragma once
// An editor view for tests: pages are strings, questions are answered from queues, and every pause hands
// control to OnPause, which acts for the user (Step, Continue, Cancel, looking at the state).

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/editor_core.h"
#include "editor/page_file.h"
#include "files/file_text.h"

namespace tw::test {

class RecordingView : public editor::EditorView {
 public:
  struct Page {
    std::string text;
    bool modified = false;
    bool readOnly = false;
    int line = 0;
    int column = 0;
  };

  editor::EditorCore* core = nullptr;
  std::map<int, Page> pages;
  std::vector<std::string> log;  // "pause <file>:<line>", "minimise", "restore", "debugger", "error ...", ...
  std::deque<std::optional<std::string>> saveNames;  // default: cancelled
  std::deque<editor::SaveAnswer> saveAnswers;        // default: No
  bool utf8Answer = true;
  bool minimised = false;
  bool debuggerExists = false;
  int pauses = 0;
  // Called at each pause with its number from 1; must end the pause (the view cancels a pause left open).
  std::function<void(int)> OnPause;
  // Called when a page's widget is made, before the page has its text.
  std::function<void(editor::EditorPage&)> OnPageOpened;

  Page& Of(const editor::EditorPage& page) { return pages[page.id]; }
  static std::string Name(const editor::EditorPage& page) {
    if (!page.file) return "untitled";
    const std::size_t slash = page.file->find_last_of('/');
    return page.file->substr(slash + 1);
  }

  void PageOpened(editor::EditorPage& page) override {
    pages[page.id] = {};
    if (OnPageOpened) OnPageOpened(page);
  }
  void PageClosing(editor::EditorPage& page) override { pages.erase(page.id); }
  void ShowPage(editor::EditorPage&) override {}
  void PageRenamed(editor::EditorPage&) override {}
  std::string Text(const editor::EditorPage& page) const override { return pages.at(page.id).text; }
  void SetText(editor::EditorPage& page, const std::string& text) override { Of(page).text = text; }
  bool Modified(const editor::EditorPage& page) const override { return pages.at(page.id).modified; }
  void SetModified(editor::EditorPage& page, bool modified) override { Of(page).modified = modified; }
  void SetReadOnly(editor::EditorPage& page, bool readOnly) override { Of(page).readOnly = readOnly; }
  int CaretLine(const editor::EditorPage& page) const override { return pages.at(page.id).line; }
  int CaretColumn(const editor::EditorPage& page) const override { return pages.at(page.id).column; }
  void SetCaret(editor::EditorPage& page, int line, int column) override {
    Of(page).line = line;
    Of(page).column = column;
  }
  std::string LineText(const editor::EditorPage& page, int line) const override {
    const std::vector<std::string_view> lines = SplitLines(pages.at(page.id).text);
    return line >= 0 && static_cast<std::size_t>(line) < lines.size()
               ? std::string(lines[static_cast<std::size_t>(line)])
               : "";
  }
  void InsertAtCaret(editor::EditorPage& page, const std::string& text) override;
  void ReplaceLines(editor::EditorPage& page, int first, int last, const std::vector<std::string>& lines) override;
  void Repaint(editor::EditorPage&) override {}
  void StateChanged() override {}
  void WaitWhilePaused() override {
    ++pauses;
    const editor::EditorPage* page = core->DebuggedPage();
    log.push_back("pause " + (page ? Name(*page) + ":" + std::to_string(page->currentLine + 1) : "?"));
    if (OnPause) OnPause(pauses);
    if (core->Paused()) {
      log.push_back("pause left open");
      core->Cancel();
    }
  }
  void EndPause() override {}
  void MinimiseApplication() override {
    minimised = true;
    log.push_back("minimise");
  }
  void RestoreApplication() override {
    minimised = false;
    log.push_back("restore");
  }
  bool ApplicationMinimised() const override { return minimised; }
  void ShowDebugger() override {
    debuggerExists = true;
    log.push_back("debugger");
  }
  bool DebuggerExists() const override { return debuggerExists; }
  void WatchesChanged() override {}
  std::optional<std::string> AskSaveName(const std::string&) override {
    log.push_back("save as?");
    if (saveNames.empty()) return std::nullopt;
    auto name = saveNames.front();
    saveNames.pop_front();
    return name;
  }
  editor::SaveAnswer AskSaveChanges(const std::string& fileName) override {
    log.push_back("save changes to " + fileName + "?");
    if (saveAnswers.empty()) return editor::SaveAnswer::No;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  }
  bool AskSaveAsUtf8(const std::string&) override {
    log.push_back("utf-8?");
    return utf8Answer;
  }
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  void ShowWarning(const std::string& text) override { log.push_back("warning " + text); }
};

inline void RecordingView::InsertAtCaret(editor::EditorPage& page, const std::string& text) {
  Page& p = Of(page);
  std::size_t at = 0;
  for (int line = 0; line < p.line && at != std::string::npos; ++line) {
    at = p.text.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  if (at == std::string::npos) at = p.text.size();
  at = std::min(at + static_cast<std::size_t>(p.column), p.text.size());
  p.text.insert(at, text);
  p.modified = true;
}

// Lines end at LF (a CR before it belongs to the break); the inserted lines are joined by the page's first break.
inline void RecordingView::ReplaceLines(editor::EditorPage& page, int first, int last,
                                        const std::vector<std::string>& lines) {
  Page& p = Of(page);
  const auto lineStart = [&p](int line) {
    std::size_t at = 0;
    for (int i = 0; i < line && at != std::string::npos; ++i) {
      at = p.text.find('\n', at);
      if (at != std::string::npos) ++at;
    }
    return at == std::string::npos ? p.text.size() : at;
  };
  const std::size_t start = lineStart(first);
  std::size_t end = std::min(p.text.find('\n', lineStart(last)), p.text.size());
  if (end > start && p.text[end - 1] == '\r') --end;
  const std::size_t firstBreak = p.text.find('\n');
  const std::string lineBreak =
      firstBreak != std::string::npos && firstBreak > 0 && p.text[firstBreak - 1] == '\r' ? "\r\n" : "\n";
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) joined += (i ? lineBreak : "") + lines[i];
  p.text.replace(start, end - start, joined);
  p.modified = true;
  log.push_back("replace lines " + std::to_string(first + 1) + "-" + std::to_string(last + 1));
}

}  // namespace tw::test
