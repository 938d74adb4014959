#pragma once
// The catalogue's list of scripts as one Qt model, shown both as a report and as large icons. Its drags
// carry a private type with a token of this model, so that only drags from this list are taken as scripts.

#include <QAbstractTableModel>
#include <QIcon>
#include <optional>

#include "catalogue/catalogue.h"

namespace tw {

class ScriptListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr const char* kDragType = "application/x-tarnwick-script-list-item";
  enum Column { kDescription, kScriptName, kScriptLocation, kHotKey, kColumnCount };
  // The index of the script's hotkey table entry ("-1" for none) under this role.
  static constexpr int kHotKeyIndexRole = Qt::UserRole + 1;

  explicit ScriptListModel(Catalogue& catalogue, QObject* parent = nullptr);

  // Shows the catalogue's items again.
  void Refresh();
  // The list row a drag of this model carries; nothing for any other drag.
  std::optional<int> DraggedRow(const QMimeData* data) const;
  // The sort column of the catalogue that a click on the header of `column` chooses; nothing keeps it.
  static std::optional<int> SortColumnFor(int column);
  static QIcon IconFor(ScriptKind kind);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override;

 private:
  Catalogue& catalogue_;
  QByteArray token_;
};

}  // namespace tw
