#include "editor/qt/form_help.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace tw {

using editor::HelpLookup;
using editor::HelpTopic;

TFormHelp* TFormHelp::Open(const std::string& folder, std::string& error) {
  static QPointer<TFormHelp> window;
  if (window) return window;
  const std::string found = folder.empty() ? editor::FindReferenceFolder() : folder;
  if (found.empty()) {
    error =
        "The language reference is not installed: it is looked for in \"reference\" beside the program "
        "and in doc/tarnwick/reference of the system's data folders.";
    return nullptr;
  }
  std::optional<editor::HelpIndex> index = editor::HelpIndex::Load(found, error);
  if (!index) return nullptr;
  window = new TFormHelp(std::move(*index));
  return window;
}

TFormHelp::TFormHelp(editor::HelpIndex index) : index_(std::move(index)) {
  setObjectName("TFormHelp");
  setWindowTitle("Tarnwick Help");
  // Closed, it goes; the next request makes a fresh one.
  setAttribute(Qt::WA_DeleteOnClose);

  Browser = new QTextBrowser;
  Browser->setObjectName("Browser");
  Browser->setOpenExternalLinks(false);
  Browser->setSearchPaths({QString::fromStdString(index_.Folder())});
  EditFilter = new QLineEdit;
  EditFilter->setObjectName("EditFilter");
  EditFilter->setPlaceholderText("Type a name or part of one");
  EditFilter->setClearButtonEnabled(true);
  ListIndex = new QListWidget;
  ListIndex->setObjectName("ListIndex");

  auto* side = new QWidget;
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(EditFilter);
  column->addWidget(ListIndex);
  auto* split = new QSplitter;
  split->addWidget(side);
  split->addWidget(Browser);
  split->setStretchFactor(1, 1);
  split->setSizes({200, 560});
  setCentralWidget(split);

  QToolBar* bar = addToolBar("Navigation");
  bar->setObjectName("Navigation");
  bar->setMovable(false);
  ActnBack = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "Back", Browser, &QTextBrowser::backward);
  ActnForward =
      bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "Forward", Browser, &QTextBrowser::forward);
  ActnContents = bar->addAction("Contents", this, &TFormHelp::ShowContents);
  ActnBack->setShortcut(QKeySequence::Back);
  ActnForward->setShortcut(QKeySequence::Forward);
  ActnBack->setEnabled(false);
  ActnForward->setEnabled(false);
  connect(Browser, &QTextBrowser::backwardAvailable, ActnBack, &QAction::setEnabled);
  connect(Browser, &QTextBrowser::forwardAvailable, ActnForward, &QAction::setEnabled);

  connect(EditFilter, &QLineEdit::textChanged, this, &TFormHelp::FillIndex);
  const auto open = [this](QListWidgetItem* item) {
    ShowTopic(index_.Topics().at(item->data(Qt::UserRole).toULongLong()));
  };
  connect(ListIndex, &QListWidget::itemActivated, this, open);
  connect(ListIndex, &QListWidget::itemClicked, this, open);
  // Enter in the filter opens the first name listed.
  connect(EditFilter, &QLineEdit::returnPressed, this, [this, open] {
    if (ListIndex->count() > 0) open(ListIndex->item(0));
  });
  FillIndex({});
  resize(800, 600);
}

void TFormHelp::Show(const HelpLookup& lookup) {
  switch (lookup.show) {
    case HelpLookup::Show::Contents: ShowContents(); break;
    case HelpLookup::Show::Topic: ShowTopic(*lookup.topic); break;
    case HelpLookup::Show::Index: ShowIndex(QString::fromStdString(lookup.filter)); break;
  }
}

void TFormHelp::ShowContents() {
  OpenPage(std::string(editor::HelpIndex::kContentsPage), "");
  Present();
}

void TFormHelp::ShowTopic(const HelpTopic& topic) {
  OpenPage(topic.page, topic.anchor);
  Present();
}

void TFormHelp::ShowIndex(const QString& filter) {
  EditFilter->setText(filter);
  FillIndex(filter);
  // The page stays; a window shown for the first time starts at the contents.
  if (Browser->source().isEmpty()) OpenPage(std::string(editor::HelpIndex::kContentsPage), "");
  Present();
  EditFilter->setFocus();
}

void TFormHelp::FillIndex(const QString& filter) {
  ListIndex->clear();
  const HelpTopic* first = index_.Topics().data();
  for (const HelpTopic* topic : index_.Filtered(filter.toStdString())) {
    auto* item = new QListWidgetItem(QString::fromStdString(topic->name), ListIndex);
    item->setToolTip(QString::fromStdString(topic->kind));
    item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(topic - first)));
  }
}

void TFormHelp::OpenPage(const std::string& page, const std::string& anchor) {
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(index_.Folder() + page));
  if (!anchor.empty()) url.setFragment(QString::fromStdString(anchor));
  Browser->setSource(url);
}

void TFormHelp::Present() {
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace tw
