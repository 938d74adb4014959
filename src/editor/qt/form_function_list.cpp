#include "editor/qt/form_function_list.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/qt/sort_list_view.h"
#include "interpreter/ini_file.h"

namespace tw {

namespace {

constexpr const char* kPlacement = "FunctionList";
constexpr int kEntryRole = Qt::UserRole;

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TFormFunctionList::TFormFunctionList(Callbacks callbacks, std::string settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Tool), callbacks_(std::move(callbacks)), settingsFile_(std::move(settingsFile)) {
  setObjectName("TFormFunctionList");
  setWindowTitle("Sub/Func List");
  ListView = new TSortListView(this);
  ListView->setObjectName("ListView");
  ListView->setHeaderLabels({"Sub/Func/Procedure", "Line No."});
  ListView->setColumnWidth(0, 200);
  BtnGoto = new QPushButton("Goto Sub/Function", this);
  BtnGoto->setObjectName("BtnGoto");
  BtnUse = new QPushButton("Use This SUB/FUNC...", this);
  BtnUse->setObjectName("BtnUse");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnGoto);
  buttons->addWidget(BtnUse);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListView);
  layout->addLayout(buttons);
  connect(BtnGoto, &QPushButton::clicked, this, &TFormFunctionList::GotoCurrent);
  connect(BtnUse, &QPushButton::clicked, this, &TFormFunctionList::UseCurrent);
  connect(ListView, &QTreeWidget::itemDoubleClicked, this, &TFormFunctionList::GotoCurrent);

  resize(320, 360);
  try {
    const IniFile ini = IniFile::Load(settingsFile_);
    if (ini.HasSection(kPlacement)) {
      resize(std::max(160, ini.ReadInteger(kPlacement, "Width", 320)),
             std::max(120, ini.ReadInteger(kPlacement, "Height", 360)));
      move(ini.ReadInteger(kPlacement, "Left", 0), ini.ReadInteger(kPlacement, "Top", 0));
    }
  } catch (const std::exception&) {
    // An unreadable settings file leaves the window where it was designed.
  }
}

TFormFunctionList::~TFormFunctionList() {
  if (isVisible()) SavePlacement();
}

void TFormFunctionList::Open() {
  Refresh();
  show();
  raise();
  activateWindow();
}

void TFormFunctionList::Refresh() {
  entries_ = editor::ListFunctions(callbacks_.pageText ? callbacks_.pageText() : std::string{});
  ListView->clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    auto* item = new QTreeWidgetItem(ListView, {FromUtf8(entries_[i].text), FromUtf8(LineNumberText(entries_[i]))});
    item->setData(0, kEntryRole, static_cast<qulonglong>(i));
  }
  if (ListView->topLevelItemCount() > 0) ListView->setCurrentItem(ListView->topLevelItem(0));
}

const editor::FunctionEntry* TFormFunctionList::CurrentEntry() const {
  const QTreeWidgetItem* item = ListView->currentItem();
  if (!item) return nullptr;
  const auto index = item->data(0, kEntryRole).toULongLong();
  return index < entries_.size() ? &entries_[index] : nullptr;
}

void TFormFunctionList::GotoCurrent() {
  const editor::FunctionEntry* entry = CurrentEntry();
  if (!entry) return;
  const editor::FunctionEntry chosen = *entry;
  close();
  if (callbacks_.gotoEntry) callbacks_.gotoEntry(chosen);
}

void TFormFunctionList::UseCurrent() {
  const editor::FunctionEntry* entry = CurrentEntry();
  if (!entry) return;
  const editor::FunctionEntry chosen = *entry;
  close();
  if (callbacks_.useEntry) callbacks_.useEntry(chosen);
}

void TFormFunctionList::hideEvent(QHideEvent* event) {
  SavePlacement();
  QWidget::hideEvent(event);
}

void TFormFunctionList::SavePlacement() {
  try {
    IniFile::Update(settingsFile_, [this](IniFile& ini) {
      ini.WriteInteger(kPlacement, "Left", x());
      ini.WriteInteger(kPlacement, "Top", y());
      ini.WriteInteger(kPlacement, "Width", width());
      ini.WriteInteger(kPlacement, "Height", height());
    });
  } catch (const std::exception&) {
    // The next list opens where the designer put it.
  }
}

}  // namespace tw
