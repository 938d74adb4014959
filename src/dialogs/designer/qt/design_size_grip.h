#pragma once
// The 13 x 13 grip in the bottom-right corner of the design surface: while it is held, the window's right and
// bottom edges follow the mouse.

#include <QPoint>
#include <QWidget>
#include <functional>

namespace tw {

class DesignSizeGrip : public QWidget {
 public:
  static constexpr int kSide = 13;
  explicit DesignSizeGrip(QWidget* surface);

  // After each change of the window's size by the grip.
  std::function<void()> OnResized;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // From the mouse to the window's bottom-right corner, in screen pixels.
  QPoint offset_;
  bool held_ = false;
};

}  // namespace tw
