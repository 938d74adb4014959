#pragma once
// The desktop overlay: a window over the whole desktop, on top of everything, that shows the desktop as it was
// when it opened (a picture, since without a compositor a translucent window would be opaque), a caption, and
// a yellow frame. FindWindowRect frames the titled window under the mouse and gives it for a click;
// LocateClickPosition frames a given window and gives the point clicked. Esc gives nothing. The program's own
// windows are out of the way meanwhile.

#include <QObject>
#include <QString>
#include <optional>

#include "port/desktop.h"
#include "recorder/window_finder.h"

namespace tw {

class FinderOverlay;

class TWindowRectFinder : public QObject {
  Q_OBJECT

 public:
  explicit TWindowRectFinder(port::Desktop& desktop, QObject* parent = nullptr);
  ~TWindowRectFinder() override;

  // Shown on the overlay; set before each use.
  QString Caption;

  // The overlay's window while it is shown; kNoWindow otherwise.
  port::WindowId FinderHandle() const;
  // The titled window framed right now (FindWindowRect), or the window given (LocateClickPosition).
  std::optional<TWindowInfo> Highlight() const;

  // The user clicks a titled window inside another program's window: true and `info` filled; Esc: false and
  // `info` the empty record.
  bool FindWindowRect(TWindowInfo& info);
  // The user clicks a point: true and `point` relative to the window's top-left corner (on the screen without
  // a window); Esc: false and `point` unchanged.
  bool LocateClickPosition(port::WindowId window, port::Point& point);

 private:
  port::Desktop& desktop_;
  FinderOverlay* overlay_ = nullptr;
};

}  // namespace tw
