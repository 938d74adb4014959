#include "editor/qt/form_debugger.h"

#include <QAction>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "editor/editor_core.h"
#include "interpreter/ini_file.h"

namespace tw {

namespace {

constexpr const char* kPlacement = "Debugger";

}  // namespace

std::optional<QString> AskWatchVariable(QWidget* parent, const QString& initial) {
  QInputDialog dialog(parent);
  dialog.setObjectName("TFormAddWatch");
  dialog.setWindowTitle("Watch Variable");
  dialog.setLabelText("Variable");
  dialog.setTextValue(initial);
  dialog.setOkButtonText("OK");
  dialog.setCancelButtonText("Cancel");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

TFormDebugger::TFormDebugger(editor::EditorCore& core, QAction* step, QAction* go, QAction* cancel,
                             std::string settingsFile, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), core_(core), settingsFile_(std::move(settingsFile)) {
  setObjectName("TFormDebugger");
  setWindowTitle("Debugger");
  LBxWatch = new QListWidget(this);
  LBxWatch->setObjectName("LBxWatch");
  setCentralWidget(LBxWatch);

  ActnAddWatch = new QAction("&Add Watch...", this);
  ActnEditWatch = new QAction("&Edit Watch...", this);
  ActnDeleteWatch = new QAction("&Delete Watch", this);
  ActnClearWatches = new QAction("&Clear All Watches", this);
  connect(ActnAddWatch, &QAction::triggered, this, &TFormDebugger::AddWatch);
  connect(ActnEditWatch, &QAction::triggered, this, &TFormDebugger::EditWatch);
  connect(ActnDeleteWatch, &QAction::triggered, this, &TFormDebugger::DeleteWatch);
  connect(ActnClearWatches, &QAction::triggered, this, [this] {
    core_.Watches().Clear();
    RefreshWatches();
  });
  connect(LBxWatch, &QListWidget::itemActivated, this, [this] { EditWatch(); });

  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Close", this, &QWidget::close);
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addActions({ActnAddWatch, ActnEditWatch, ActnDeleteWatch, ActnClearWatches});
  edit->addSeparator();
  edit->addActions({step, go, cancel});
  LBxWatch->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  LBxWatch->addActions({ActnAddWatch, ActnDeleteWatch, separator, ActnClearWatches});
  QToolBar* bar = addToolBar("Debug");
  bar->addActions({step, go, cancel});

  StatusState = new QLabel("Ready", this);
  statusBar()->addWidget(StatusState, 1);
  statusBar()->addWidget(new QLabel("F7 = Step   F8 = Continue", this), 2);

  try {
    const IniFile ini = IniFile::Load(settingsFile_);
    core_.Watches().Load(ini);
    const int width = ini.ReadInteger(kPlacement, "Width", 360);
    const int height = ini.ReadInteger(kPlacement, "Height", 260);
    resize(width, height);
    if (ini.HasSection(kPlacement)) move(ini.ReadInteger(kPlacement, "Left", 0), ini.ReadInteger(kPlacement, "Top", 0));
  } catch (const std::exception&) {
    resize(360, 260);
  }
  RefreshWatches();
}

TFormDebugger::~TFormDebugger() {
  try {
    IniFile::Update(settingsFile_, [this](IniFile& ini) {
      core_.Watches().Save(ini);
      ini.WriteInteger(kPlacement, "Left", x());
      ini.WriteInteger(kPlacement, "Top", y());
      ini.WriteInteger(kPlacement, "Width", width());
      ini.WriteInteger(kPlacement, "Height", height());
    });
  } catch (const std::exception&) {
    // The watches stay for this session; the settings file keeps what it held.
  }
}

void TFormDebugger::RefreshWatches() {
  const int selected = LBxWatch->currentRow();
  LBxWatch->clear();
  for (const std::string& line : core_.WatchLines()) LBxWatch->addItem(QString::fromStdString(line));
  if (selected >= 0 && selected < LBxWatch->count()) LBxWatch->setCurrentRow(selected);
}

void TFormDebugger::SetRunning(bool running) {
  setWindowTitle(running ? "Debugger - [Running]" : "Debugger");
  StatusState->setText(running ? "Running" : "Ready");
}

void TFormDebugger::AddWatch() {
  if (const std::optional<QString> entry = AskWatchVariable(this)) core_.AddWatch(entry->toStdString());
  RefreshWatches();
}

void TFormDebugger::EditWatch() {
  const int row = LBxWatch->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= core_.Watches().Entries().size()) return;
  const QString current = QString::fromStdString(core_.Watches().Entries()[static_cast<std::size_t>(row)]);
  if (const std::optional<QString> entry = AskWatchVariable(this, current))
    core_.Watches().Replace(static_cast<std::size_t>(row), entry->toStdString());
  RefreshWatches();
}

void TFormDebugger::DeleteWatch() {
  const QListWidgetItem* item = LBxWatch->currentItem();
  if (!item) return;
  core_.Watches().RemoveLine(item->text().toStdString());
  RefreshWatches();
}

}  // namespace tw
