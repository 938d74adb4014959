#pragma once
// A shape control drawn as its outline. At run time shapes are outlines that the mouse passes through; the
// designer fills them so that they can be grabbed.

#include <QColor>
#include <QWidget>
#include <optional>

#include "dialogs/dialog_control.h"

namespace tw {

class ShapeWidget : public QWidget {
 public:
  // Without a fill the shape is transparent for the mouse.
  ShapeWidget(const DialogControl& control, std::optional<QColor> fill, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ShapeKind shape_;
  int penWidth_;
  std::int32_t penColour_;
  std::optional<QColor> fill_;
};

}  // namespace tw
