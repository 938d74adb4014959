#include "runtime/qt/form_basic.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace tw {

namespace {

QFont WindowFont(int points) {
  QFont font("Tahoma", points);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace

int RunDialog(QDialog& dialog) {
  bool finished = false;
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, [&] {
    finished = true;
    loop.quit();
  });
  dialog.setModal(false);
  dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  if (!finished) loop.exec();
  return dialog.result();
}

TFormBasic::TFormBasic(QWidget* parent) : QDialog(parent) {
  setObjectName("FormBasic");
  setWindowTitle("Print");
  setFont(WindowFont(9));
  // A caption with a close button only: the prompt window takes the size its text needs.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setMinimumSize(PromptWindowSize::kMinWidth, PromptWindowSize::kMinHeight);
  setMaximumSize(PromptWindowSize::kMaxWidth, PromptWindowSize::kMaxHeight);

  Pages = new QStackedWidget(this);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(Pages);

  TbShPrint = new QWidget;
  TbShPrint->setObjectName("TbShPrint");
  Icon = new QLabel;
  Icon->setObjectName("Icon");
  Icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  Icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  MemoPrompt = new QPlainTextEdit;
  MemoPrompt->setObjectName("MemoPrompt");
  MemoPrompt->setReadOnly(true);
  MemoPrompt->setFrameShape(QFrame::NoFrame);
  MemoPrompt->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoPrompt->setFocusPolicy(Qt::NoFocus);
  MemoPrompt->viewport()->setAutoFillBackground(false);
  MemoPrompt->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MemoPrompt->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  EditInput = new QLineEdit;
  EditInput->setObjectName("EditInput");
  EditInput->hide();
  LablTime = new QLabel;
  LablTime->setObjectName("LablTime");
  LablTime->hide();
  ButtOk = new QPushButton("&OK");
  ButtOk->setObjectName("ButtOk");
  ButtOk->setDefault(true);
  ButtCancel = new QPushButton("&Cancel");
  ButtCancel->setObjectName("ButtCancel");
  connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout(TbShPrint);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->addWidget(Icon, 0, 0);
  grid->addWidget(MemoPrompt, 0, 1);
  grid->addWidget(EditInput, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(LablTime);
  buttons->addStretch(1);
  buttons->addWidget(ButtOk);
  buttons->addWidget(ButtCancel);
  grid->addLayout(buttons, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(0, 1);
  Pages->addWidget(TbShPrint);

  TbShConsole = new QWidget;
  TbShConsole->setObjectName("TbShConsole");
  MemoConsole = new QPlainTextEdit;
  MemoConsole->setObjectName("MemoConsole");
  MemoConsole->setReadOnly(true);
  MemoConsole->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoConsole->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoConsole->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoConsole->setFont(WindowFont(8));
  QPalette palette = MemoConsole->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, QColor(0, 0, 128));
  MemoConsole->setPalette(palette);
  auto* consoleLayout = new QVBoxLayout(TbShConsole);
  consoleLayout->setContentsMargins(0, 0, 0, 0);
  consoleLayout->addWidget(MemoConsole);
  Pages->addWidget(TbShConsole);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TFormBasic::TimerTick);

  // The prompt box's designed size: its size when the page fills the designed window.
  resize(PromptWindowSize::kDesignedWidth, PromptWindowSize::kDesignedHeight);
  TbShPrint->layout()->setGeometry(
      QRect(0, 0, PromptWindowSize::kDesignedWidth, PromptWindowSize::kDesignedHeight));
  designedMemo_ = MemoPrompt->size();
}

void TFormBasic::SetPromptMode(PromptMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  switch (mode) {
    case PromptMode::Timed:
      LablTime->show();
      Timer1->start();
      break;
    case PromptMode::Input:
      EditInput->show();
      EditInput->setFocus();
      break;
    case PromptMode::Console:
      setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::WindowStaysOnTopHint);
      setSizeGripEnabled(true);
      Pages->setCurrentWidget(TbShConsole);
      show();
      break;
    case PromptMode::Plain: break;
  }
}

void TFormBasic::SetCountdown(int seconds) {
  countdown_ = PromptCountdown(seconds);
  LablTime->setText(QString::fromStdString(countdown_.Label()));
}

void TFormBasic::SetPromptText(const QString& text) { MemoPrompt->setPlainText(text); }

void TFormBasic::FitToPrompt() {
  const QFontMetrics metrics(MemoPrompt->font());
  const QStringList lines = MemoPrompt->toPlainText().split('\n');
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  // The text box draws its text inside a margin of its own on each side.
  const int inner = 2 * static_cast<int>(MemoPrompt->document()->documentMargin());
  const PromptWindowSize size = FitPrompt(designedMemo_.width(), designedMemo_.height(), widest + inner,
                                          static_cast<int>(lines.size()) * metrics.lineSpacing() + inner);
  setFixedSize(size.width, size.height);
  CentreOnScreen(*this);
}

bool TFormBasic::ShowPrompt() {
  LablTime->setText(QString::fromStdString(countdown_.Label()));
  FitToPrompt();
  if (mode_ == PromptMode::Input) EditInput->setFocus();
  return RunDialog(*this) == QDialog::Accepted;
}

void TFormBasic::TimerTick() {
  Timer1->stop();
  const bool timedOut = countdown_.Tick();
  LablTime->setText(QString::fromStdString(countdown_.Label()));
  if (timedOut) {
    accept();
    return;
  }
  Timer1->start();
}

void TFormBasic::AddConsoleLine(const QString& text) {
  QString lines = text;
  lines.replace("\r\n", "\n");
  const std::size_t before = consoleLines_.Lines().size();
  const std::size_t dropped = consoleLines_.Add(lines.toStdString());
  if (dropped >= before && dropped > 0) {
    // Nothing of the old text stays: show what the console keeps.
    QStringList kept;
    for (const std::string& line : consoleLines_.Lines()) kept << QString::fromStdString(line);
    MemoConsole->setPlainText(kept.join('\n'));
  } else {
    QTextCursor cursor(MemoConsole->document());
    for (std::size_t i = 0; i < dropped; ++i) {
      cursor.movePosition(QTextCursor::Start);
      cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
      cursor.removeSelectedText();
    }
    MemoConsole->appendPlainText(lines);
  }
  MemoConsole->moveCursor(QTextCursor::End);
  MemoConsole->ensureCursorVisible();
}

void TFormBasic::ClearConsole() {
  consoleLines_.Clear();
  MemoConsole->clear();
}

}  // namespace tw
