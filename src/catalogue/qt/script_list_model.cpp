#include "catalogue/qt/script_list_model.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <array>

namespace tw {

ScriptListModel::ScriptListModel(Catalogue& catalogue, QObject* parent)
    : QAbstractTableModel(parent), catalogue_(catalogue), token_(QByteArray::number(QRandomGenerator::system()->generate64(), 16)) {}

void ScriptListModel::Refresh() {
  beginResetModel();
  endResetModel();
}

std::optional<int> ScriptListModel::DraggedRow(const QMimeData* data) const {
  if (!data || !data->hasFormat(kDragType)) return std::nullopt;
  const QList<QByteArray> parts = data->data(kDragType).split(' ');
  bool ok = false;
  const int row = parts.size() == 2 && parts[0] == token_ ? parts[1].toInt(&ok) : -1;
  if (!ok || row < 0 || row >= rowCount()) return std::nullopt;
  return row;
}

std::optional<int> ScriptListModel::SortColumnFor(int column) {
  switch (column) {
    case kDescription: return kSortByDescription;
    case kScriptName: return kSortByFileName;
    case kScriptLocation: return kSortByLocation;
    default: return std::nullopt;
  }
}

QIcon ScriptListModel::IconFor(ScriptKind kind) {
  // One icon per kind, shared by every row and menu entry (a QIcon is a shared handle): loading the pictures
  // again for each of 10,000 scripts cost 5 KiB a script. Never freed, as it may outlive the application.
  static const auto* const icons = [] {
    const auto load = [](const char* name) {
      QIcon icon;
      for (int size : {16, 32}) icon.addFile(QString(":/catalogue/script-%1-%2.png").arg(name).arg(size));
      return icon;
    };
    return new std::array<QIcon, 3>{load("windows"), load("dos"), load("scheduled")};
  }();
  switch (kind) {
    case ScriptKind::Scheduled: return (*icons)[2];
    case ScriptKind::Dos: return (*icons)[1];
    case ScriptKind::Windows: break;
  }
  return (*icons)[0];
}

int ScriptListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(catalogue_.Items().size());
}

int ScriptListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ScriptListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ScriptItem& item = catalogue_.Items()[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kDescription: return QString::fromStdString(item.description);
        case kScriptName: return QString::fromStdString(item.fileName);
        case kScriptLocation: return QString::fromStdString(item.fullPath);
        case kHotKey: return QString::fromStdString(item.hotkey);
      }
      return {};
    case Qt::DecorationRole: return index.column() == kDescription ? IconFor(item.kind) : QVariant();
    case Qt::ToolTipRole: return QString::fromStdString(item.fullPath);
    case kHotKeyIndexRole: return QString::number(item.hotkeyIndex);
    default: return {};
  }
}

QVariant ScriptListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"Description", "Script Name", "Script Location", "HotKey"};
  return section >= 0 && section < kColumnCount ? QString(kTitles[section]) : QVariant();
}

Qt::ItemFlags ScriptListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList ScriptListModel::mimeTypes() const { return {kDragType}; }

QMimeData* ScriptListModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kDragType, token_ + ' ' + QByteArray::number(indexes.front().row()));
  return data;
}

Qt::DropActions ScriptListModel::supportedDragActions() const { return Qt::MoveAction; }

}  // namespace tw
