#include "dialogs/qt/shape_widget.h"

#include <QPainter>
#include <algorithm>

#include "dialogs/qt/dialog_palette.h"

namespace tw {

ShapeWidget::ShapeWidget(const DialogControl& control, std::optional<QColor> fill, QWidget* parent)
    : QWidget(parent), shape_(control.Shape), penWidth_(control.PenWidth), penColour_(control.PenColour), fill_(fill) {
  if (!fill_) setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int pen = std::max(penWidth_, 1);
  painter.setPen(QPen(DialogQColor(penColour_, palette()), pen));
  painter.setBrush(fill_ ? QBrush(*fill_) : QBrush(Qt::NoBrush));
  QRectF area = QRectF(rect()).adjusted(pen / 2.0, pen / 2.0, -pen / 2.0, -pen / 2.0);
  const bool square = shape_ == ShapeKind::Square || shape_ == ShapeKind::RoundSquare || shape_ == ShapeKind::Circle;
  if (square) {
    const double side = std::min(area.width(), area.height());
    area = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
  }
  const double corner = std::min(area.width(), area.height()) / 4;
  switch (shape_) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square: painter.drawRect(area); break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare: painter.drawRoundedRect(area, corner, corner); break;
    case ShapeKind::Ellipse:
    case ShapeKind::Circle: painter.drawEllipse(area); break;
  }
}

}  // namespace tw
