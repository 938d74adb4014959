#include "catalogue/qt/folder_tree_widget.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QStyle>

#include "catalogue/qt/script_list_model.h"

namespace tw {

namespace {

QString PathOf(const QTreeWidgetItem* item) { return item ? item->data(0, FolderTreeWidget::kRelativePathRole).toString() : QString(); }

void AddChildren(QTreeWidgetItem* parent, const FolderNode& node, const QIcon& icon) {
  for (const FolderNode& child : node.children) {
    auto* item = new QTreeWidgetItem(parent, {QString::fromStdString(child.text)});
    item->setData(0, FolderTreeWidget::kRelativePathRole, QString::fromStdString(child.relativePath));
    item->setIcon(0, icon);
    AddChildren(item, child, icon);
  }
}

}  // namespace

FolderTreeWidget::FolderTreeWidget(const ScriptListModel& scripts, QWidget* parent)
    : QTreeWidget(parent), scripts_(scripts) {
  setHeaderHidden(true);
  setColumnCount(1);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setDropIndicatorShown(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    MarkOpen(current);
    if (!showing_ && current) emit folderSelected(PathOf(current));
  });
}

void FolderTreeWidget::Show(const FolderNode* root, const std::string& selected) {
  showing_ = true;
  clear();
  if (root) {
    auto* top = new QTreeWidgetItem(this, {QString::fromStdString(root->text)});
    top->setData(0, kRelativePathRole, QString());
    top->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
    AddChildren(top, *root, style()->standardIcon(QStyle::SP_DirClosedIcon));
    expandAll();
    QTreeWidgetItem* current = ItemFor(selected);
    setCurrentItem(current ? current : top);
  }
  showing_ = false;
}

QTreeWidgetItem* FolderTreeWidget::ItemFor(const std::string& relativePath) const {
  const QString wanted = QString::fromStdString(relativePath);
  for (QTreeWidgetItemIterator it(const_cast<FolderTreeWidget*>(this)); *it; ++it)
    if (PathOf(*it) == wanted) return *it;
  return nullptr;
}

void FolderTreeWidget::MarkOpen(QTreeWidgetItem* current) {
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  for (QTreeWidgetItemIterator it(this); *it; ++it) (*it)->setIcon(0, *it == current ? open : closed);
}

void FolderTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (scripts_.DraggedRow(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void FolderTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (scripts_.DraggedRow(event->mimeData()) && itemAt(event->position().toPoint())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void FolderTreeWidget::dropEvent(QDropEvent* event) {
  const std::optional<int> row = scripts_.DraggedRow(event->mimeData());
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  if (!row || !target) {
    event->ignore();
    return;
  }
  // The move is ours: the list must not remove anything itself once the drag returns.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit scriptDropped(*row, PathOf(target));
}

}  // namespace tw
