#include "editor/qt/form_console.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "commands/screen_text.h"
#include "commands/tarnwick_basic.h"
#include "recorder/qt/qt_events.h"

namespace tw {

namespace {

constexpr const char* kHint = "Highlight the text portion to capture.";

// Reading with keys is not needed here, but the screen is read as a script would read it.
constexpr int kKeyDelay = 2;
constexpr bool kMenuKeys = true;

}  // namespace

TFormConsole::TFormConsole(TTarnwickBasic& library, port::PointerGrab& pointer, port::WindowId terminal)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      library_(library),
      desktop_(library.Desktop),
      pointer_(pointer),
      terminal_(terminal) {
  setObjectName("Console");
  setWindowTitle(kHint);
  setToolTip(kHint);
  setCursor(Qt::CrossCursor);
}

TFormConsole::~TFormConsole() { pointer_.releaseGrab(); }

bool TFormConsole::Execute() {
  const auto area = pointer_.clientArea(terminal_);
  if (!area) return false;
  area_ = *area;
  // The cells as the reader sees the screen; an unreadable screen leaves one cell per area, and the read at the
  // end tells the user.
  cells_.emplace(port::Size{area_.width, area_.height},
                 desktop_.terminalText().read(terminal_).value_or(port::TerminalScreen{}));
  // The terminal as it is now: without a compositor the overlay cannot let it show through.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    picture_ = screen->grabWindow(0, area_.left, area_.top, area_.width, area_.height);
  setGeometry(area_.left, area_.top, area_.width, area_.height);
  show();
  raise();
  activateWindow();
  // Esc must reach the overlay whoever has the focus; the pointer stays inside it.
  std::string problem = "the overlay is not shown";
  bool confined = false;
  for (int tries = 0; tries < 100 && !confined; ++tries) {
    const bool exposed = windowHandle() && windowHandle()->isExposed();
    if (exposed) windowHandle()->setKeyboardGrabEnabled(true);
    confined = exposed && pointer_.confine(static_cast<port::WindowId>(winId()), *this, problem);
    if (!confined) WaitProcessingEvents(20);
  }
  if (!confined) {
    hide();
    library_.Host.ShowErrorBox("Cannot capture the text: " + problem + ".");
    return false;
  }
  capturing_ = true;
  EventSourceWatch watch;  // serves the pointer's events while the overlay waits
  QEventLoop loop;
  loop_ = &loop;
  if (!done_) loop.exec();
  loop_ = nullptr;
  pointer_.releaseGrab();
  if (windowHandle()) windowHandle()->setKeyboardGrabEnabled(false);
  hide();
  return accepted_;
}

void TFormConsole::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!picture_.isNull())
    painter.drawPixmap(0, 0, picture_);
  else
    painter.fillRect(rect(), Qt::black);
  if (!cells_) return;
  const auto band = selection_.Highlighted();
  if (!band) return;
  const port::Rect r = cells_->BandRect(*band);
  // Inverted, as a terminal shows a selection.
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  painter.fillRect(QRect(r.left, r.top, r.width, r.height), Qt::white);
}

void TFormConsole::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) return;
  captured_ = {};
  Finish(false);
}

editor::Cell TFormConsole::CellAt(port::Point onDesktop) const {
  return cells_->CellAt({onDesktop.x - area_.left, onDesktop.y - area_.top});
}

void TFormConsole::pointerMoved(port::Point where) {
  const auto before = selection_.Highlighted();
  selection_.Move(CellAt(where));
  if (selection_.Highlighted() != before) update();
}

void TFormConsole::buttonPressed(port::MouseButton button, port::Point where) {
  if (button != port::MouseButton::Left || done_) return;
  captured_ = {};
  selection_.Press(CellAt(where));
  update();
}

void TFormConsole::buttonReleased(port::MouseButton button, port::Point where) {
  if (button != port::MouseButton::Left || done_) return;
  const auto band = selection_.Release(CellAt(where));
  if (!band) return;
  pointer_.releaseGrab();
  const int row = band->first.row + 1;
  const int column = band->first.column + 1;
  captured_ = {row, column, ReadConsoleText(library_, row, column, band->length, kKeyDelay, kMenuKeys, terminal_)};
  Finish(true);
}

void TFormConsole::Finish(bool accepted) {
  capturing_ = false;
  accepted_ = accepted;
  done_ = true;
  if (loop_) loop_->quit();
}

}  // namespace tw
