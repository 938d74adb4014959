#pragma once
// The design surface: the dialog being designed, its controls shown by design widgets. Every mouse event of
// the controls and of the surface passes one event filter on its way to the designer's logic; the surface
// draws the selection frames, opens the popup menu and asks whether to save when it closes.

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

#include "dialogs/designer/dialog_designer.h"

namespace tw {

class DesignSizeGrip;
class ScriptHost;

class DesignSurface : public QDialog {
  Q_OBJECT

 public:
  // The designer has opened its dialog; the host shows the preview and the help as a script shows dialogs.
  DesignSurface(DialogDesigner& designer, ScriptHost& host, QWidget* parent = nullptr);

  // The widget of each control, in the dialog's order.
  const std::vector<QWidget*>& Widgets() const { return widgets_; }
  // The popup menu as a right click at the client point opens it: on a control, or on the surface (nothing).
  void OpenPopupMenu(QPoint at, std::optional<std::size_t> control);

  // Escape asks about saving, as closing the window does.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Caption, font and colour of the dialog's window.
  void ShowWindowProperties();
  // New widgets for every control, after controls came, went or changed.
  void RebuildWidgets();
  void Watch(QWidget* widget);
  void PlaceWidgets();
  // Frames around the selected controls; the current one takes the keyboard focus when it can.
  void ShowSelection();
  std::optional<std::size_t> ControlOf(const QObject* object) const;
  bool ControlMouse(std::size_t control, QWidget* target, QEvent* event);
  bool SurfaceMouse(QEvent* event);
  void Preview();
  void Help();
  void EditProperties(std::optional<std::size_t> control);
  void EditTabOrder();
  // The window's place and, after the grip changed it, its size go back to the dialog.
  void StorePosition();
  void StoreSize();

  DialogDesigner& designer_;
  ScriptHost& host_;
  std::vector<QWidget*> widgets_;
  DesignSizeGrip* grip_;
  bool finished_ = false;
};

}  // namespace tw
