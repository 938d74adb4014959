#pragma once
// The window-picker pointer: a small picture the user drags onto another program's window. While it is dragged
// the picture is gone from its place, the mouse shows a cross-hair and the linked labels show the title and
// class of the window under the mouse; over the dialog holding the picture nothing is found. On release the
// owner reads FoundTitle(), FoundClass() and FoundHandle() in its Released handler.

#include <QLabel>
#include <QTimer>
#include <memory>

#include "port/desktop.h"
#include "recorder/window_finder.h"

namespace tw {

class TEnumWindowInfo : public QLabel {
  Q_OBJECT

 public:
  explicit TEnumWindowInfo(port::Desktop& desktop, QWidget* parent = nullptr);
  ~TEnumWindowInfo() override;

  // The innermost window under the mouse instead of the top-level one. One setting for every pointer, back to
  // false whenever a pointer is made.
  static bool WantChild;

  QLabel* TitleLabel = nullptr;
  QLabel* ClassLabel = nullptr;
  QString FoundTitle() const;
  QString FoundClass() const;
  port::WindowId FoundHandle() const { return found_.handle; }
  bool Dragging() const { return tracker_ != nullptr; }

 signals:
  void Released();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Tick();
  void ShowPicture(bool shown);

  port::Desktop& desktop_;
  std::unique_ptr<WindowPointerTracker> tracker_;
  FoundWindow found_;
  QTimer timer_;
};

// The page a picking dialog opens with: the pointer with a bold prompt beside it, and below them the title and
// class of the window under it (the pointer's TitleLabel and ClassLabel). The recorder's wizard and the command
// assistant share it.
struct WindowFinderPage {
  QWidget* Page = nullptr;
  TEnumWindowInfo* Pointer = nullptr;
};
WindowFinderPage MakeWindowFinderPage(port::Desktop& desktop, const QString& prompt);

}  // namespace tw
