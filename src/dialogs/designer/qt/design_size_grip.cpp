#include "dialogs/designer/qt/design_size_grip.h"

#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>

namespace tw {

DesignSizeGrip::DesignSizeGrip(QWidget* surface) : QWidget(surface) {
  setObjectName("DesignSizeGrip");
  setFixedSize(kSide, kSide);
  setCursor(Qt::SizeFDiagCursor);
}

void DesignSizeGrip::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionSizeGrip option;
  option.initFrom(this);
  option.corner = Qt::BottomRightCorner;
  painter.drawControl(QStyle::CE_SizeGrip, option);
}

void DesignSizeGrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QWidget* surface = window();
  const QPoint corner = surface->mapToGlobal(QPoint(surface->width(), surface->height()));
  offset_ = corner - event->globalPosition().toPoint();
  held_ = true;
}

void DesignSizeGrip::mouseMoveEvent(QMouseEvent* event) {
  if (!held_) return;
  QWidget* surface = window();
  const QPoint corner = event->globalPosition().toPoint() + offset_;
  const QPoint topLeft = surface->mapToGlobal(QPoint(0, 0));
  surface->resize(std::max(corner.x() - topLeft.x(), kSide), std::max(corner.y() - topLeft.y(), kSide));
  if (OnResized) OnResized();
}

void DesignSizeGrip::mouseReleaseEvent(QMouseEvent*) { held_ = false; }

}  // namespace tw
