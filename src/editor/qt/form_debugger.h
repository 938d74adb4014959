#pragma once
// The debugger window: the watch list with its menus, Step, Continue and Cancel, and the run state. It stays
// on top of other windows; the editor owns it and makes it the first time it is shown.

#include <QMainWindow>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QListWidget;

namespace tw::editor {
class EditorCore;
}

namespace tw {

// The add-watch prompt: "Watch Variable", label "Variable". Nothing when cancelled.
std::optional<QString> AskWatchVariable(QWidget* parent, const QString& initial = {});

class TFormDebugger : public QMainWindow {
  Q_OBJECT

 public:
  // `step`, `go` and `cancel` are the editor's actions; `settingsFile` keeps the watches and the placement.
  TFormDebugger(editor::EditorCore& core, QAction* step, QAction* go, QAction* cancel, std::string settingsFile,
                QWidget* parent);
  ~TFormDebugger() override;

  // The list shows the watches again, with the values of the evaluation interpreter.
  void RefreshWatches();
  void SetRunning(bool running);

  QListWidget* LBxWatch = nullptr;
  QLabel* StatusState = nullptr;
  QAction* ActnAddWatch = nullptr;
  QAction* ActnEditWatch = nullptr;
  QAction* ActnDeleteWatch = nullptr;
  QAction* ActnClearWatches = nullptr;

 private:
  void AddWatch();
  void EditWatch();
  void DeleteWatch();

  editor::EditorCore& core_;
  std::string settingsFile_;
};

}  // namespace tw
