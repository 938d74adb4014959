#include "dialogs/designer/qt/design_surface.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

#include "dialogs/designer/design_help.h"
#include "dialogs/designer/qt/design_popup_menu.h"
#include "dialogs/designer/qt/design_size_grip.h"
#include "dialogs/designer/qt/design_widgets.h"
#include "dialogs/designer/qt/form_component_properties.h"
#include "dialogs/designer/qt/form_tab_order.h"
#include "dialogs/qt/dialog_fonts.h"
#include "dialogs/qt/dialog_palette.h"

namespace tw {

namespace {

std::optional<DesignButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return DesignButton::Left;
    case Qt::RightButton: return DesignButton::Right;
    case Qt::MiddleButton: return DesignButton::Middle;
    default: return std::nullopt;
  }
}

bool IsMouseEvent(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove ||
         type == QEvent::MouseButtonRelease;
}

}  // namespace

DesignSurface::DesignSurface(DialogDesigner& designer, ScriptHost& host, QWidget* parent)
    : QDialog(parent), designer_(designer), host_(host), grip_(new DesignSizeGrip(this)) {
  const TEnhanceFormDialog& dialog = designer.Dialog();
  const DialogWindow& state = dialog.Window;
  setObjectName("DesignSurface");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  ShowWindowProperties();
  setAutoFillBackground(true);
  setCursor(Qt::ArrowCursor);
  setMouseTracking(true);
  installEventFilter(this);

  const FrameMargins frame = dialog.Metrics().WindowFrame();
  const int width = state.ClientWidth.value_or(state.Frame.width - frame.Left - frame.Right);
  const int height = state.ClientHeight.value_or(state.Frame.height - frame.Top - frame.Bottom);
  resize(std::max(width, 1), std::max(height, 1));
  move(state.Frame.left, state.Frame.top);

  grip_->OnResized = [this] { StoreSize(); };
  RebuildWidgets();
}

void DesignSurface::ShowWindowProperties() {
  const DialogWindow& state = designer_.Dialog().Window;
  setWindowTitle(QString::fromStdString(state.Caption) + " - [Edit]");
  setFont(DialogQFont(state.Font));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, DialogQColor(state.Colour, colours));
  setPalette(colours);
}

// ---- Widgets ------------------------------------------------------------------------------------------

void DesignSurface::RebuildWidgets() {
  // The old widgets may be the receivers of the event being handled: they go once it is done.
  for (QWidget* widget : widgets_) {
    if (!widget) continue;
    widget->hide();
    widget->removeEventFilter(this);
    widget->deleteLater();
  }
  widgets_.clear();
  TEnhanceFormDialog& dialog = designer_.Dialog();
  for (std::size_t i = 0; i < dialog.Controls.size(); ++i) {
    QWidget* widget = BuildDesignWidget(dialog, i, this);
    if (widget) {
      Watch(widget);
      widget->show();
    }
    widgets_.push_back(widget);
  }
  grip_->raise();
  ShowSelection();
}

void DesignSurface::Watch(QWidget* widget) {
  QList<QWidget*> parts = widget->findChildren<QWidget*>();
  parts.prepend(widget);
  for (QWidget* part : parts) {
    part->installEventFilter(this);
    part->setCursor(Qt::ArrowCursor);
    part->setMouseTracking(true);
  }
}

void DesignSurface::PlaceWidgets() {
  const std::vector<DialogControl>& controls = designer_.Dialog().Controls;
  for (std::size_t i = 0; i < widgets_.size() && i < controls.size(); ++i) {
    if (!widgets_[i]) continue;
    const port::Rect& bounds = controls[i].Bounds;
    widgets_[i]->setGeometry(bounds.left, bounds.top, std::max(bounds.width, 0), std::max(bounds.height, 0));
  }
}

void DesignSurface::ShowSelection() {
  update();
  const auto current = designer_.Selection().Current();
  if (!current || *current >= widgets_.size() || !widgets_[*current]) return;
  if (widgets_[*current]->focusPolicy() != Qt::NoFocus) widgets_[*current]->setFocus();
}

std::optional<std::size_t> DesignSurface::ControlOf(const QObject* object) const {
  for (; object && object != this; object = object->parent()) {
    const auto found = std::find(widgets_.begin(), widgets_.end(), object);
    if (found != widgets_.end()) return static_cast<std::size_t>(found - widgets_.begin());
  }
  return std::nullopt;
}

// ---- Mouse --------------------------------------------------------------------------------------------

bool DesignSurface::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ContextMenu) return true;  // the popup menu opens on the press
  if (!IsMouseEvent(type)) return QDialog::eventFilter(watched, event);
  if (watched == this) return SurfaceMouse(event);
  const auto control = ControlOf(watched);
  auto* target = qobject_cast<QWidget*>(watched);
  if (!control || !target) return QDialog::eventFilter(watched, event);
  return ControlMouse(*control, target, event);
}

bool DesignSurface::ControlMouse(std::size_t control, QWidget* target, QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  QWidget* widget = widgets_[control];
  const QPoint at = target->mapTo(widget, mouse->position().toPoint());
  DesignMouse& designMouse = designer_.Mouse();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto button = ButtonOf(mouse->button());
      if (!button) return true;
      designMouse.Press(control, *button, mouse->modifiers().testFlag(Qt::ShiftModifier), {at.x(), at.y()});
      ShowSelection();
      if (*button == DesignButton::Right && designer_.Dialog().Controls[control].Kind != ControlKind::Shape)
        OpenPopupMenu(widget->mapTo(this, at), control);
      return true;
    }
    case QEvent::MouseMove:
      if (designMouse.Dragging()) {
        if (designMouse.Move({at.x(), at.y()})) PlaceWidgets();
        update();
        return true;
      }
      target->setCursor(designMouse.CursorOver(control, {at.x(), at.y()}) == DesignCursor::SizeDiagonal
                            ? Qt::SizeFDiagCursor
                            : Qt::ArrowCursor);
      return true;
    case QEvent::MouseButtonRelease:
      designMouse.Release();
      for (QWidget* shown : widgets_)
        if (shown) shown->update();
      ShowSelection();
      return true;
    default: return false;
  }
}

bool DesignSurface::SurfaceMouse(QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (event->type() != QEvent::MouseButtonPress) return false;
  if (mouse->button() == Qt::LeftButton) {
    designer_.Mouse().PressSurface();
    ShowSelection();
  } else if (mouse->button() == Qt::RightButton) {
    OpenPopupMenu(mouse->position().toPoint(), std::nullopt);
  }
  return true;
}

void DesignSurface::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (designer_.Mouse().Dragging()) return;
  QPainter painter(this);
  painter.setPen(QPen(Qt::red, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  const std::vector<DialogControl>& controls = designer_.Dialog().Controls;
  for (const std::size_t index : designer_.Selection().Controls()) {
    if (index >= controls.size()) continue;
    const port::Rect& bounds = controls[index].Bounds;
    // One pixel outside the control on every side.
    painter.drawRect(bounds.left - 1, bounds.top - 1, bounds.width + 1, bounds.height + 1);
  }
}

void DesignSurface::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  grip_->move(width() - DesignSizeGrip::kSide, height() - DesignSizeGrip::kSide);
}

// ---- Popup menu ---------------------------------------------------------------------------------------

void DesignSurface::OpenPopupMenu(QPoint at, std::optional<std::size_t> control) {
  QMenu menu(this);
  DesignMenuActions actions;
  actions.Properties = [this, control] { EditProperties(designer_.PropertiesTarget(control)); };
  actions.Help = [this] { Help(); };
  actions.Preview = [this] { Preview(); };
  actions.TabOrder = [this] { EditTabOrder(); };
  actions.Add = [this, at](char letter) {
    if (designer_.Add(letter, {at.x(), at.y()})) RebuildWidgets();
  };
  actions.Grid = [this](int pixels) { designer_.Mouse().SetGrid(pixels); };
  if (control)
    actions.Duplicate = [this, source = *control] {
      if (designer_.Duplicate(source)) RebuildWidgets();
    };
  actions.Delete = [this] {
    designer_.DeleteSelection();
    RebuildWidgets();
  };
  actions.Close = [this] { close(); };
  FillDesignMenu(menu, designer_.Mouse().Grid(), actions);
  menu.exec(mapToGlobal(at));
}

void DesignSurface::Preview() {
  TEnhanceFormDialog& dialog = designer_.Dialog();
  StorePosition();
  const std::vector<std::string> opened = dialog.Definition;
  dialog.WriteDefinition();
  TEnhanceFormDialog preview(host_);
  preview.Definition = dialog.Definition;
  dialog.Definition = opened;  // only saving replaces what the designer opened
  preview.ShowEnhancedDialog();
}

void DesignSurface::Help() {
  TEnhanceFormDialog help(host_);
  help.Definition = DesignHelpDefinition();
  help.ShowEnhancedDialog();
}

void DesignSurface::EditProperties(std::optional<std::size_t> control) {
  TFormComponentProperties form(designer_.Dialog(), control, this);
  if (form.exec() != Accepted) return;
  ShowWindowProperties();
  RebuildWidgets();
}

void DesignSurface::EditTabOrder() {
  TFormTabOrder form(designer_.Dialog(), this);
  if (form.exec() == Accepted) RebuildWidgets();
}

// ---- Window -------------------------------------------------------------------------------------------

void DesignSurface::StorePosition() {
  port::Rect& frame = designer_.Dialog().Window.Frame;
  const QPoint corner = frameGeometry().topLeft();
  frame.left = corner.x();
  frame.top = corner.y();
}

void DesignSurface::StoreSize() {
  DialogWindow& window = designer_.Dialog().Window;
  const QMargins real = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const FrameMargins estimate = designer_.Dialog().Metrics().WindowFrame();
  const bool known = !real.isNull();
  window.ClientWidth = width();
  window.ClientHeight = height();
  window.Frame.width = width() + (known ? real.left() + real.right() : estimate.Left + estimate.Right);
  window.Frame.height = height() + (known ? real.top() + real.bottom() : estimate.Top + estimate.Bottom);
}

void DesignSurface::reject() { close(); }

void DesignSurface::closeEvent(QCloseEvent* event) {
  if (finished_) {
    event->accept();
    return;
  }
  const auto answer = QMessageBox::question(this, "Confirm", "Save Changes?",
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer != QMessageBox::Yes && answer != QMessageBox::No) {
    event->ignore();
    return;
  }
  finished_ = true;
  event->accept();
  if (answer == QMessageBox::Yes) {
    StorePosition();
    designer_.Save();
    done(Accepted);
  } else {
    designer_.Discard();
    done(Rejected);
  }
}

}  // namespace tw
