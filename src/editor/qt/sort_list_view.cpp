#include "editor/qt/sort_list_view.h"

#include <QDateTime>
#include <QHeaderView>
#include <algorithm>

namespace tw {

TSortListView::TSortListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(false);
  connect(header(), &QHeaderView::sectionClicked, this, &TSortListView::ColumnClicked);
}

Qt::SortOrder TSortListView::Direction(int column) const {
  const auto index = static_cast<std::size_t>(column);
  return index < directions_.size() ? directions_[index] : Qt::AscendingOrder;
}

void TSortListView::ColumnClicked(int column) {
  if (column < 0) return;
  const auto index = static_cast<std::size_t>(column);
  if (directions_.size() <= index) directions_.resize(index + 1, Qt::AscendingOrder);
  if (column == sortColumn_)
    directions_[index] = directions_[index] == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  sortColumn_ = column;
  Sort();
}

int TSortListView::Compare(const QTreeWidgetItem& a, const QTreeWidgetItem& b, int column) const {
  if (a.columnCount() <= column || b.columnCount() <= column) return 0;
  if (DateColumns.contains(column)) {
    const QDateTime x = QDateTime::fromString(a.text(column), Qt::ISODate);
    const QDateTime y = QDateTime::fromString(b.text(column), Qt::ISODate);
    return x < y ? -1 : y < x ? 1 : 0;
  }
  return a.text(column).compare(b.text(column), Qt::CaseInsensitive);
}

void TSortListView::Sort() {
  // The items are taken out, ordered and put back: a stable sort keeps equal items in the order they had.
  QTreeWidgetItem* current = currentItem();
  std::vector<QTreeWidgetItem*> items;
  while (topLevelItemCount() > 0) items.push_back(takeTopLevelItem(0));
  const bool descending = Direction(sortColumn_) == Qt::DescendingOrder;
  std::stable_sort(items.begin(), items.end(), [this, descending](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    const int order = Compare(*a, *b, sortColumn_);
    return descending ? order > 0 : order < 0;
  });
  for (QTreeWidgetItem* item : items) addTopLevelItem(item);
  if (current) setCurrentItem(current);
}

}  // namespace tw
