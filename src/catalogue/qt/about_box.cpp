#include "catalogue/qt/about_box.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "catalogue/qt/main_form.h"
#include "runtime/prompt_window_logic.h"

namespace tw {

QString AboutVersionText() {
  return "Version: " + QString::fromStdString(VersionText(TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_RELEASE,
                                                         TW_VERSION_BUILD));
}

TAboutBox::TAboutBox(Use use, QWidget* parent) : QDialog(parent) {
  setObjectName(use == Use::About ? "AboutBox" : "Splash");
  setWindowTitle("About");
  // Borderless: the panel draws its own edge.
  setWindowFlags(use == Use::About ? Qt::Dialog | Qt::FramelessWindowHint
                                   : Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  auto* panel = new QFrame;
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(2);

  auto* picture = new QLabel;
  picture->setPixmap(QPixmap(":/catalogue/tarnwick-script-48.png"));
  LablTitle = new QLabel(kApplicationTitle);
  LablTitle->setObjectName("LablTitle");
  QFont big = LablTitle->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  LablTitle->setFont(big);
  LablVersion = new QLabel(AboutVersionText());
  LablVersion->setObjectName("LablVersion");

  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(picture, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(LablTitle);
  texts->addWidget(LablVersion);
  texts->addStretch();
  top->addLayout(texts);
  auto* inner = new QVBoxLayout(panel);
  inner->setContentsMargins(20, 20, 20, 16);
  inner->setSpacing(16);
  inner->addLayout(top);
  if (use == Use::About) {
    ButtOk = new QPushButton("OK");
    ButtOk->setObjectName("ButtOk");
    ButtOk->setDefault(true);
    connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);
    inner->addWidget(ButtOk, 0, Qt::AlignHCenter);
  }
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panel);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

}  // namespace tw
