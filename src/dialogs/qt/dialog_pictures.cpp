#include "dialogs/qt/dialog_pictures.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace tw {

namespace {

const QColor kInk(40, 40, 60);

QPolygonF Star(QPointF centre, double outer, double inner) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const double radius = i % 2 == 0 ? outer : inner;
    star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  return star;
}

void Globe(QPainter& p) {
  p.setPen(QPen(QColor(20, 70, 150), 1.2));
  p.setBrush(QColor(90, 160, 230));
  p.drawEllipse(QRectF(7, 7, 18, 18));
  p.setBrush(QColor(70, 160, 80));
  p.drawChord(QRectF(9, 9, 14, 14), 30 * 16, 120 * 16);
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(12, 7, 8, 18));
  p.drawLine(QPointF(7, 16), QPointF(25, 16));
  p.setPen(QPen(QColor(200, 120, 20), 1.2));
  p.drawEllipse(QRectF(1, 11, 30, 10));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 40, 40));
  p.drawEllipse(QRectF(1, 13, 5, 5));
  p.setBrush(QColor(250, 200, 30));
  p.drawEllipse(QRectF(26, 14, 5, 5));
}

void ShootingStar(QPainter& p) {
  p.setPen(QPen(QColor(230, 160, 20), 1.5));
  for (int i = 0; i < 3; ++i) p.drawLine(QPointF(2, 24 + 2.5 * i), QPointF(12, 18 + 2.5 * i));
  p.setPen(QPen(QColor(180, 120, 0), 1));
  p.setBrush(QColor(255, 215, 40));
  p.drawPolygon(Star(QPointF(15, 19), 8, 3.5));
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  QPainterPath bubble;
  bubble.addRoundedRect(QRectF(16, 2, 15, 11), 4, 4);
  bubble.moveTo(20, 13);
  bubble.lineTo(18, 17);
  bubble.lineTo(24, 13);
  p.drawPath(bubble.simplified());
  p.drawLine(QPointF(19, 6), QPointF(28, 6));
  p.drawLine(QPointF(19, 9), QPointF(26, 9));
}

void Scroll(QPainter& p) {
  p.setPen(QPen(QColor(140, 100, 40), 1));
  p.setBrush(QColor(245, 225, 170));
  p.drawRect(QRectF(6, 6, 18, 21));
  p.drawEllipse(QRectF(4, 3, 22, 5));
  p.drawEllipse(QRectF(4, 25, 22, 5));
  p.setPen(QPen(QColor(150, 120, 80), 1));
  for (int y = 11; y <= 22; y += 3) p.drawLine(QPointF(9, y), QPointF(21, y));
  p.setPen(QPen(QColor(60, 60, 120), 2));
  p.drawLine(QPointF(17, 24), QPointF(29, 6));
  p.setPen(QPen(QColor(60, 60, 120), 1));
  p.setBrush(QColor(230, 230, 250));
  QPolygonF feather;
  feather << QPointF(29, 2) << QPointF(31, 9) << QPointF(22, 16) << QPointF(26, 6);
  p.drawPolygon(feather);
}

void WindowWithDiskette(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2, 3, 22, 18));
  p.setBrush(QColor(40, 80, 170));
  p.drawRect(QRectF(2, 3, 22, 4));
  p.setBrush(QColor(60, 60, 70));
  p.drawRect(QRectF(14, 14, 16, 16));
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(17, 14, 10, 6));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(17, 23, 10, 7));
}

void ComputerWithStar(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(3, 5, 22, 16));
  p.setBrush(QColor(40, 110, 170));
  p.drawRect(QRectF(5, 7, 18, 12));
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(11, 21, 6, 3));
  p.drawRect(QRectF(4, 24, 20, 5));
  p.setPen(QPen(QColor(180, 120, 0), 1));
  p.setBrush(QColor(255, 215, 40));
  p.drawPolygon(Star(QPointF(25, 7), 6.5, 2.8));
}

void HandWriting(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3, 8, 18, 22));
  p.setPen(QPen(QColor(120, 120, 160), 1));
  for (int y = 13; y <= 25; y += 4) p.drawLine(QPointF(6, y), QPointF(18, y));
  // The hand holding the pen.
  p.setPen(QPen(QColor(150, 90, 50), 1));
  p.setBrush(QColor(245, 200, 160));
  p.drawRoundedRect(QRectF(18, 4, 11, 10), 4, 4);
  p.drawRoundedRect(QRectF(15, 10, 7, 4), 2, 2);
  p.setPen(QPen(QColor(200, 40, 40), 2));
  p.drawLine(QPointF(20, 10), QPointF(13, 22));
}

void DialogForm(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(225, 225, 230));
  p.drawRect(QRectF(2, 4, 28, 24));
  p.setBrush(QColor(40, 80, 170));
  p.drawRect(QRectF(2, 4, 28, 5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5, 12, 22, 5));
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(6, 21, 9, 5));
  p.drawRect(QRectF(18, 21, 9, 5));
}

}  // namespace

QPixmap DialogPicture(int index) {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case 0: Globe(painter); break;
    case 1: ShootingStar(painter); break;
    case 2: Scroll(painter); break;
    case 3: WindowWithDiskette(painter); break;
    case 4: ComputerWithStar(painter); break;
    case 5: HandWriting(painter); break;
    case 6: DialogForm(painter); break;
    default: break;
  }
  return picture;
}

QPixmap ImagePicture(const DialogControl& control) {
  const QString file = QString::fromStdString(control.FileName);
  return !file.isEmpty() && QFile::exists(file) ? QPixmap(file) : DialogPicture(control.ImageIndex);
}

}  // namespace tw
