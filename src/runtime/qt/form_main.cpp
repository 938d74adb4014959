#include "runtime/qt/form_main.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "runtime/prompt_window_logic.h"

namespace tw {

QString RuntimeVersionText() {
  return "Tarnwick Script Runtime\nVersion: " +
         QString::fromStdString(VersionText(TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_RELEASE,
                                            TW_VERSION_BUILD));
}

QString RuntimeUsageText() {
  return "Usage: brindle <name of the script to execute>\n"
         "Example: brindle ~/.local/share/tarnwick/Scripts/Sample.tws";
}

TFormMain::TFormMain(QWidget* parent) : QDialog(parent) {
  setObjectName("FormMain");
  setWindowTitle("Tarnwick Runtime");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);

  LablVersion = new QLabel(RuntimeVersionText());
  LablVersion->setObjectName("LablVersion");
  LablUsage = new QLabel(RuntimeUsageText());
  LablUsage->setObjectName("LablUsage");
  LablUsage->setAlignment(Qt::AlignCenter);
  QPalette navy = LablUsage->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  LablUsage->setPalette(navy);
  ButtOk = new QPushButton("&Ok");
  ButtOk->setObjectName("ButtOk");
  ButtOk->setDefault(true);
  connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->setSpacing(14);
  layout->addWidget(LablVersion);
  layout->addWidget(LablUsage);
  layout->addWidget(ButtOk, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // not resizable

  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

}  // namespace tw
