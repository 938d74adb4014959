#pragma once
// The text-capture overlay: laid over a terminal's client area, it shows the terminal as it was and its
// character cells, keeps the pointer inside itself and lets the user drag over the cells of one row. The release
// reads those cells' text from the terminal's screen; Esc captures nothing.

#include <QPixmap>
#include <QWidget>
#include <optional>

#include "editor/assistant_commands.h"
#include "editor/screen_cells.h"
#include "port/desktop.h"
#include "port/pointer_grab.h"

class QEventLoop;

namespace tw {

class TTarnwickBasic;

class TFormConsole : public QWidget, private port::PointerListener {
 public:
  // `library` reads the screen and tells when it cannot; `pointer` keeps the pointer on the overlay.
  TFormConsole(TTarnwickBasic& library, port::PointerGrab& pointer, port::WindowId terminal);
  ~TFormConsole() override;

  // Runs until the user released the mouse (true) or pressed Esc (false).
  bool Execute();
  // The text read, where it starts; an empty text after Esc or when the screen could not be read.
  const editor::ScreenCapture& Captured() const { return captured_; }
  // Shown with the pointer kept on it, waiting for the user's selection.
  bool Capturing() const { return capturing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void pointerMoved(port::Point where) override;
  void buttonPressed(port::MouseButton button, port::Point where) override;
  void buttonReleased(port::MouseButton button, port::Point where) override;
  editor::Cell CellAt(port::Point onDesktop) const;
  void Finish(bool accepted);

  TTarnwickBasic& library_;
  port::Desktop& desktop_;
  port::PointerGrab& pointer_;
  port::WindowId terminal_;
  port::Rect area_;
  std::optional<editor::ScreenCells> cells_;
  editor::CellSelection selection_;
  editor::ScreenCapture captured_;
  QPixmap picture_;
  QEventLoop* loop_ = nullptr;
  bool done_ = false;
  bool accepted_ = false;
  bool capturing_ = false;
};

}  // namespace tw
