#include "recorder/qt/window_rect_finder.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "commands/window_search.h"
#include "recorder/qt/application_minimiser.h"
#include "recorder/qt/qt_events.h"

namespace tw {

namespace {

constexpr const char* kHint = "Locate the mouse click position";

}  // namespace

class FinderOverlay : public QWidget {
 public:
  enum class Mode { FindWindow, LocatePoint };

  FinderOverlay(port::WindowService& windows, Mode mode, const QString& caption, std::optional<port::Rect> frame)
      : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::X11BypassWindowManagerHint),
        windows_(windows),
        mode_(mode),
        caption_(caption),
        frame_(frame) {
    setObjectName("WindowRectFinder");
    setWindowTitle(kHint);
    setToolTip(kHint);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    if (frame_) highlight = TWindowInfo{{}, {}, frame_->left, frame_->top, frame_->width, frame_->height};
  }

  // Shows the overlay until a click (its point) or Esc (nothing).
  std::optional<port::Point> Run() {
    QScreen* screen = QGuiApplication::primaryScreen();
    // The desktop as it is now: without a compositor the overlay cannot let it show through.
    if (screen) {
      picture_ = screen->grabWindow(0);
      setGeometry(screen->virtualGeometry());
    }
    show();
    raise();
    activateWindow();
    // Esc must reach the overlay whoever has the focus; the mouse, whatever window is below.
    for (int tries = 0; tries < 100; ++tries) {
      if (windowHandle() && windowHandle()->isExposed() && windowHandle()->setKeyboardGrabEnabled(true)) break;
      WaitProcessingEvents(20);
    }
    if (windowHandle()) windowHandle()->setMouseGrabEnabled(true);
    QEventLoop loop;
    loop_ = &loop;
    if (!done_) loop.exec();
    loop_ = nullptr;
    if (windowHandle()) {
      windowHandle()->setMouseGrabEnabled(false);
      windowHandle()->setKeyboardGrabEnabled(false);
    }
    hide();
    return clicked_;
  }

  port::WindowId Handle() const { return isVisible() ? static_cast<port::WindowId>(winId()) : port::kNoWindow; }

  std::optional<TWindowInfo> highlight;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (!picture_.isNull())
      painter.drawPixmap(0, 0, picture_);
    else
      painter.fillRect(rect(), Qt::darkGray);
    std::optional<QRect> framed;
    if (highlight) framed = QRect(highlight->left, highlight->top, highlight->width, highlight->height);
    if (framed) {
      painter.setPen(QPen(Qt::yellow, 3));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(framed->adjusted(1, 1, -2, -2));
    }
    if (caption_.isEmpty()) return;
    QFont font("Arial", 12, QFont::Bold);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    QRect box = metrics.boundingRect(caption_).adjusted(-8, -4, 8, 4);
    // On the window's top edge when a window is given, else in the middle of the screen.
    if (mode_ == Mode::LocatePoint && frame_)
      box.moveCenter(QPoint(frame_->left + frame_->width / 2, frame_->top));
    else
      box.moveCenter(rect().center());
    painter.fillRect(box, QColor(0, 0, 160));
    painter.setPen(Qt::yellow);
    painter.drawText(box, Qt::AlignCenter, caption_);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (mode_ != Mode::FindWindow) return;
    const QPoint at = event->globalPosition().toPoint();
    const auto found = TitledWindowAt(windows_, {at.x(), at.y()}, Handle());
    if (found == highlight) return;
    highlight = found;
    update();
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    // The click's own point: a click may come without a move before it.
    const QPoint at = event->globalPosition().toPoint();
    if (mode_ == Mode::FindWindow) highlight = TitledWindowAt(windows_, {at.x(), at.y()}, Handle());
    Finish(port::Point{at.x(), at.y()});
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) Finish(std::nullopt);
  }

 private:
  void Finish(std::optional<port::Point> clicked) {
    clicked_ = clicked;
    done_ = true;
    if (loop_) loop_->quit();
  }

  port::WindowService& windows_;
  Mode mode_;
  QString caption_;
  std::optional<port::Rect> frame_;
  QPixmap picture_;
  QEventLoop* loop_ = nullptr;
  bool done_ = false;
  std::optional<port::Point> clicked_;
};

TWindowRectFinder::TWindowRectFinder(port::Desktop& desktop, QObject* parent) : QObject(parent), desktop_(desktop) {}

TWindowRectFinder::~TWindowRectFinder() = default;

port::WindowId TWindowRectFinder::FinderHandle() const { return overlay_ ? overlay_->Handle() : port::kNoWindow; }

std::optional<TWindowInfo> TWindowRectFinder::Highlight() const {
  return overlay_ ? overlay_->highlight : std::nullopt;
}

bool TWindowRectFinder::FindWindowRect(TWindowInfo& info) {
  info = TWindowInfo{};
  port::WindowService& windows = desktop_.windows();
  ApplicationMinimiser minimiser(windows);
  // The picture of the desktop is taken once the program's windows are gone from it.
  WaitProcessingEvents(500);
  FinderOverlay overlay(windows, FinderOverlay::Mode::FindWindow, Caption, std::nullopt);
  overlay_ = &overlay;
  const auto clicked = overlay.Run();
  overlay_ = nullptr;
  if (!clicked || !overlay.highlight) return false;
  info = *overlay.highlight;
  return true;
}

bool TWindowRectFinder::LocateClickPosition(port::WindowId window, port::Point& point) {
  port::WindowService& windows = desktop_.windows();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ApplicationMinimiser minimiser(windows);
  WaitProcessingEvents(500);
  QApplication::restoreOverrideCursor();
  std::optional<port::Rect> frame;
  if (window != port::kNoWindow) {
    ForceForeground(windows, window, [](int milliseconds) {
      WaitProcessingEvents(milliseconds);
      return true;
    });
    frame = windows.frameRect(window);
  }
  FinderOverlay overlay(windows, FinderOverlay::Mode::LocatePoint, Caption, frame);
  overlay_ = &overlay;
  const auto clicked = overlay.Run();
  overlay_ = nullptr;
  if (!clicked) return false;
  point = ClickPositionIn(*clicked, frame);
  return true;
}

}  // namespace tw
