#pragma once
// A list view that sorts by the column whose header is clicked: a click on the sorted column turns its order
// round, a click on another sorts by that one in the order it last had. Texts compare without letter case
// ("10" before "9"); columns listed as date columns compare as date-times.

#include <QTreeWidget>
#include <set>
#include <vector>

namespace tw {

class TSortListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TSortListView(QWidget* parent = nullptr);

  int SortColumn() const { return sortColumn_; }
  Qt::SortOrder Direction(int column) const;
  // The columns whose texts are date-times (ISO 8601); none by default.
  std::set<int> DateColumns;

  // What a click on the column's header does.
  void ColumnClicked(int column);
  // Sorts the items by the sort column in its direction.
  void Sort();
  // Negative, zero or positive as `a` goes before, with or after `b` in ascending order of `column`.
  int Compare(const QTreeWidgetItem& a, const QTreeWidgetItem& b, int column) const;

 private:
  int sortColumn_ = 0;
  std::vector<Qt::SortOrder> directions_;
};

}  // namespace tw
