#include "recorder/qt/enum_window_info.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace tw {

bool TEnumWindowInfo::WantChild = false;

namespace {

// A finder's sight: a ring with a cross in it.
QPixmap PointerPicture() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 0, 128), 2));
  painter.setBrush(QColor(255, 255, 255, 200));
  painter.drawEllipse(QRectF(4, 4, 24, 24));
  painter.setPen(QPen(QColor(200, 0, 0), 2));
  painter.drawLine(QPointF(16, 1), QPointF(16, 31));
  painter.drawLine(QPointF(1, 16), QPointF(31, 16));
  return picture;
}

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TEnumWindowInfo::TEnumWindowInfo(port::Desktop& desktop, QWidget* parent) : QLabel(parent), desktop_(desktop) {
  WantChild = false;
  setObjectName("EnumWindowInfo");
  setFocusPolicy(Qt::NoFocus);
  setFixedSize(36, 36);
  setAlignment(Qt::AlignCenter);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  ShowPicture(true);
  timer_.setInterval(50);
  connect(&timer_, &QTimer::timeout, this, &TEnumWindowInfo::Tick);
}

TEnumWindowInfo::~TEnumWindowInfo() = default;

QString TEnumWindowInfo::FoundTitle() const { return Text(found_.title); }
QString TEnumWindowInfo::FoundClass() const { return Text(found_.windowClass); }

void TEnumWindowInfo::ShowPicture(bool shown) {
  static const QPixmap picture = PointerPicture();
  if (shown) {
    setPixmap(picture);
  } else {
    QPixmap empty(picture.size());
    empty.fill(Qt::transparent);
    setPixmap(empty);
  }
}

void TEnumWindowInfo::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || tracker_) return;
  tracker_ = std::make_unique<WindowPointerTracker>(desktop_.windows(),
                                                    static_cast<port::WindowId>(window()->winId()), WantChild);
  found_ = {};
  ShowPicture(false);
  setCursor(Qt::CrossCursor);
  grabMouse(Qt::CrossCursor);
  timer_.start();
}

void TEnumWindowInfo::Tick() {
  if (!tracker_) return;
  const auto over = tracker_->Track(desktop_.mouse().position());
  if (over == WindowPointerTracker::Over::Nothing) return;
  found_ = tracker_->Found();
  ShowPicture(over == WindowPointerTracker::Over::OwnWindow);
  if (TitleLabel) TitleLabel->setText(FoundTitle());
  if (ClassLabel) ClassLabel->setText(FoundClass());
}

void TEnumWindowInfo::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !tracker_) return;
  Tick();  // where the mouse was let go, also when the last tick was earlier
  timer_.stop();
  releaseMouse();
  unsetCursor();
  tracker_.reset();
  ShowPicture(true);
  emit Released();
}

WindowFinderPage MakeWindowFinderPage(port::Desktop& desktop, const QString& prompt) {
  auto* page = new QWidget;
  auto* pointer = new TEnumWindowInfo(desktop, page);
  pointer->setToolTip("Focus Finder: \n-Drag this pionter to the dest. window");
  auto* explanation = new QLabel(prompt);
  explanation->setWordWrap(true);
  QFont bold = explanation->font();
  bold.setBold(true);
  explanation->setFont(bold);
  pointer->TitleLabel = new QLabel;
  pointer->ClassLabel = new QLabel;
  for (QLabel* label : {pointer->TitleLabel, pointer->ClassLabel}) {
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setMinimumWidth(260);
  }
  auto* top = new QHBoxLayout;
  top->addWidget(pointer, 0, Qt::AlignTop);
  top->addWidget(explanation, 1);
  auto* found = new QFormLayout;
  found->addRow("Title:", pointer->TitleLabel);
  found->addRow("Class:", pointer->ClassLabel);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addLayout(found);
  layout->addStretch();
  return {page, pointer};
}

}  // namespace tw
