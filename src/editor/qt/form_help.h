#pragma once
// The help window: the language reference's pages in a browser, the index of names with a filter field, and
// back, forward and the contents. One per program; the editor's Help actions show what a lookup decides.

#include <QMainWindow>
#include <string>

#include "editor/help_index.h"

class QAction;
class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace tw {

class TFormHelp : public QMainWindow {
  Q_OBJECT

 public:
  // The program's help window, made on first use from the reference in `folder` (found as installed when
  // ""). Nothing, with `error` saying why, when there is no reference to show.
  static TFormHelp* Open(const std::string& folder, std::string& error);

  void Show(const editor::HelpLookup& lookup);
  void ShowContents();
  void ShowTopic(const editor::HelpTopic& topic);
  // The index with `filter` in its field, the names that contain it listed.
  void ShowIndex(const QString& filter);

  const editor::HelpIndex& Index() const { return index_; }

  QTextBrowser* Browser = nullptr;
  QLineEdit* EditFilter = nullptr;
  QListWidget* ListIndex = nullptr;
  QAction* ActnBack = nullptr;
  QAction* ActnForward = nullptr;
  QAction* ActnContents = nullptr;

 private:
  explicit TFormHelp(editor::HelpIndex index);
  void FillIndex(const QString& filter);
  void OpenPage(const std::string& page, const std::string& anchor);
  void Present();

  editor::HelpIndex index_;
};

}  // namespace tw
