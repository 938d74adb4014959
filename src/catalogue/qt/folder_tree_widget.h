#pragma once
// The catalogue's folder tree: one node per folder, carrying the folder's path relative to the script path.
// A script dragged from the catalogue's own list onto a node is handed on; every other drag is refused.

#include <QTreeWidget>
#include <string>

#include "catalogue/folder_tree.h"

namespace tw {

class ScriptListModel;

class FolderTreeWidget : public QTreeWidget {
  Q_OBJECT

 public:
  static constexpr int kRelativePathRole = Qt::UserRole + 1;

  FolderTreeWidget(const ScriptListModel& scripts, QWidget* parent = nullptr);

  // Shows the tree, all of it expanded, with the node of `selected` as the current one. Emits no
  // folderSelected for it.
  void Show(const FolderNode* root, const std::string& selected);
  QTreeWidgetItem* ItemFor(const std::string& relativePath) const;

 signals:
  void folderSelected(const QString& relativePath);
  void scriptDropped(int row, const QString& relativePath);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void MarkOpen(QTreeWidgetItem* current);

  const ScriptListModel& scripts_;
  bool showing_ = false;
};

}  // namespace tw
