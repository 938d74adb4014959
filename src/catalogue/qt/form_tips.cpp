#include "catalogue/qt/form_tips.h"

#include <QCheckBox>
#include <algorithm>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStyle>
#include <QVBoxLayout>

#include "catalogue/catalogue_settings.h"

namespace tw {

TFormTips::TFormTips(TipsFile tips, bool showAtStartup, std::function<void(const TipsFile&)> save, QWidget* parent)
    : QDialog(parent), tips_(std::move(tips)), save_(std::move(save)) {
  setObjectName("FormTips");
  setWindowTitle("Tips");
  AskPassword = [this]() -> std::optional<std::string> {
    bool ok = false;
    const QString entry = QInputDialog::getText(this, "Password", "Password", QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return entry.toStdString();
  };

  auto* bulb = new QLabel;
  bulb->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  LablHeading = new QLabel;
  LablHeading->setObjectName("LablHeading");
  QFont bold = LablHeading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  LablHeading->setFont(bold);
  LablNotes = new QLabel;
  LablNotes->setObjectName("LablNotes");
  LablNotes->setWordWrap(true);
  LablNotes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LablNotes->setMinimumSize(380, 110);
  LablNotes->setTextFormat(Qt::PlainText);
  auto* page = new QWidget;
  page->setObjectName("TipPage");
  page->setAutoFillBackground(true);
  QPalette white = page->palette();
  white.setColor(QPalette::Window, Qt::white);
  page->setPalette(white);
  auto* pageLayout = new QHBoxLayout(page);
  pageLayout->setContentsMargins(14, 14, 14, 14);
  pageLayout->setSpacing(14);
  pageLayout->addWidget(bulb, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(LablHeading);
  texts->addWidget(LablNotes, 1);
  pageLayout->addLayout(texts, 1);

  ButtBack = new QPushButton("<< Back");
  ButtBack->setObjectName("ButtBack");
  ButtNext = new QPushButton("Next >>");
  ButtNext->setObjectName("ButtNext");
  LablPosition = new QLabel;
  LablPosition->setObjectName("LablPosition");
  LablPosition->setAlignment(Qt::AlignCenter);
  LablPosition->installEventFilter(this);
  ChBxShowTips = new QCheckBox("&Show tip at startup");
  ChBxShowTips->setObjectName("ChBxShowTips");
  ChBxShowTips->setChecked(showAtStartup);
  ButtOk = new QPushButton("OK");
  ButtOk->setObjectName("ButtOk");
  ButtOk->setDefault(true);

  PanelAuthor = new QWidget;
  PanelAuthor->setObjectName("PanelAuthor");
  EditHeading = new QLineEdit;
  EditHeading->setObjectName("EditHeading");
  EditNotes = new QPlainTextEdit;
  EditNotes->setObjectName("EditNotes");
  EditNotes->setFixedHeight(90);
  ButtAdd = new QPushButton("&Add");
  ButtEdit = new QPushButton("&Edit");
  ButtDelete = new QPushButton("&Delete");
  ButtSave = new QPushButton("&Save");
  ButtCancel = new QPushButton("&Cancel");
  auto* authorButtons = new QHBoxLayout;
  for (QPushButton* button : {ButtAdd, ButtEdit, ButtDelete, ButtSave, ButtCancel}) {
    button->setObjectName("Butt" + button->text().remove('&'));
    button->setAutoDefault(false);
    authorButtons->addWidget(button);
  }
  auto* authorLayout = new QVBoxLayout(PanelAuthor);
  authorLayout->setContentsMargins(0, 0, 0, 0);
  authorLayout->addWidget(EditHeading);
  authorLayout->addWidget(EditNotes);
  authorLayout->addLayout(authorButtons);
  PanelAuthor->hide();

  connect(ButtBack, &QPushButton::clicked, this, [this] { ShowTip(current_ - 1); });
  connect(ButtNext, &QPushButton::clicked, this, [this] { ShowTip(current_ + 1); });
  connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtAdd, &QPushButton::clicked, this, [this] { StartEditing(Editing::NewTip); });
  connect(ButtEdit, &QPushButton::clicked, this, [this] { StartEditing(Editing::CurrentTip); });
  connect(ButtDelete, &QPushButton::clicked, this, &TFormTips::DeleteCurrent);
  connect(ButtSave, &QPushButton::clicked, this, &TFormTips::SaveEditing);
  connect(ButtCancel, &QPushButton::clicked, this, [this] { StartEditing(Editing::Nothing); });

  auto* moves = new QHBoxLayout;
  moves->addWidget(ButtBack);
  moves->addWidget(LablPosition, 1);
  moves->addWidget(ButtNext);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ChBxShowTips);
  bottom->addStretch();
  bottom->addWidget(ButtOk);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(page, 1);
  layout->addLayout(moves);
  layout->addWidget(PanelAuthor);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ShowTip(0);
}

bool TFormTips::ShowAtStartup() const { return ChBxShowTips->isChecked(); }

void TFormTips::ShowTip(int index) {
  const int count = tips_.Count();
  current_ = count == 0 ? -1 : std::clamp(index, 0, count - 1);
  const Tip tip = current_ >= 0 ? tips_.At(current_) : Tip{};
  LablHeading->setText(QString::fromStdString(tip.heading));
  LablNotes->setText(QString::fromStdString(tip.notes));
  LablPosition->setText(QString("%1 of %2").arg(current_ + 1).arg(count));
  if (editing_ == Editing::CurrentTip) StartEditing(Editing::Nothing);
  UpdateButtons();
}

void TFormTips::UpdateButtons() {
  const bool editing = editing_ != Editing::Nothing;
  const bool authoring = !PanelAuthor->isHidden();
  ButtBack->setEnabled(current_ > 0 && !editing);
  ButtNext->setEnabled(current_ + 1 < tips_.Count() && !editing);
  ButtAdd->setEnabled(!editing);
  ButtEdit->setEnabled(!editing && current_ >= 0);
  ButtDelete->setEnabled(!editing && current_ >= 0);
  ButtSave->setEnabled(editing);
  ButtCancel->setEnabled(editing);
  EditHeading->setEnabled(editing);
  EditNotes->setEnabled(editing);
  // The window cannot be left while an author is at work.
  ButtOk->setEnabled(!authoring);
  ChBxShowTips->setEnabled(!authoring);
}

bool TFormTips::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LablPosition) {
    if (event->type() == QEvent::MouseButtonDblClick && PanelAuthor->isHidden()) {
      const std::optional<std::string> entry = AskPassword();
      if (entry && *entry == kTipsAuthorPassword) ShowAuthorPanel(true);
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && !PanelAuthor->isHidden()) {
      ShowAuthorPanel(false);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormTips::ShowAuthorPanel(bool show) {
  if (!show) StartEditing(Editing::Nothing);
  PanelAuthor->setVisible(show);
  UpdateButtons();
}

void TFormTips::StartEditing(Editing what) {
  editing_ = what;
  const Tip tip = what == Editing::CurrentTip && current_ >= 0 ? tips_.At(current_) : Tip{};
  EditHeading->setText(QString::fromStdString(tip.heading));
  EditNotes->setPlainText(QString::fromStdString(tip.notes));
  if (what != Editing::Nothing) EditHeading->setFocus();
  UpdateButtons();
}

void TFormTips::SaveEditing() {
  const Tip tip{EditHeading->text().toStdString(), EditNotes->toPlainText().toStdString()};
  const TipsFile before = tips_;
  if (editing_ == Editing::NewTip) {
    tips_.Add(tip);
    current_ = tips_.Count() - 1;
  } else if (editing_ == Editing::CurrentTip && current_ >= 0) {
    tips_.Change(current_, tip);
  }
  if (!Write()) {
    tips_ = before;
    return;
  }
  editing_ = Editing::Nothing;
  ShowTip(current_);
}

void TFormTips::DeleteCurrent() {
  if (current_ < 0) return;
  if (QMessageBox::question(this, "Confirm", "Delete Are you sure?", QMessageBox::Yes | QMessageBox::No) !=
      QMessageBox::Yes)
    return;
  const TipsFile before = tips_;
  tips_.Remove(current_);
  if (!Write()) tips_ = before;
  ShowTip(current_);
}

bool TFormTips::Write() {
  try {
    save_(tips_);
    return true;
  } catch (const std::exception& error) {
    QMessageBox::critical(this, "Error", QString("The tips could not be saved: ") + error.what());
    return false;
  }
}

void ShowStartupTips(const std::string& settingsFile, const std::string& userTipsFile, QWidget* parent) {
  IniFile settings;
  try {
    settings = IniFile::Load(settingsFile);
  } catch (const std::exception&) {
    // Unreadable settings: the default, tips on.
  }
  if (!ReadShowTips(settings)) return;
  TipsFile tips;
  try {
    tips = TipsFile::Load(TipsFileToRead(userTipsFile));
  } catch (const std::exception&) {
    return;  // an unreadable tips file is as good as none
  }
  if (tips.Count() == 0) return;
  const int first = static_cast<int>(QRandomGenerator::global()->bounded(static_cast<quint32>(tips.Count())));
  TFormTips form(std::move(tips), true, [userTipsFile](const TipsFile& changed) { changed.Save(userTipsFile); },
                 parent);
  form.ShowTip(first);
  if (form.exec() != QDialog::Accepted) return;
  try {
    IniFile::Update(settingsFile, [&](IniFile& ini) { WriteShowTips(ini, form.ShowAtStartup()); });
  } catch (const std::exception& error) {
    QMessageBox::critical(parent, "Error", QString("The settings could not be saved: ") + error.what());
  }
}

}  // namespace tw
