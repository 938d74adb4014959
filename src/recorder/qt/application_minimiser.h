#pragma once
// Gets the program's windows out of the way while the user points at other programs' windows, and brings them
// back as they were. Without a window manager nothing can be minimised: the windows are hidden instead.

#include <QPointer>
#include <QWidget>
#include <vector>

#include "port/windows.h"

namespace tw {

class ApplicationMinimiser {
 public:
  // Every visible top-level window of the program but `keep`.
  ApplicationMinimiser(port::WindowService& windows, const QWidget* keep = nullptr);
  ~ApplicationMinimiser();
  ApplicationMinimiser(const ApplicationMinimiser&) = delete;
  ApplicationMinimiser& operator=(const ApplicationMinimiser&) = delete;

 private:
  struct Minimised {
    QPointer<QWidget> window;
    bool hidden;  // hidden instead of minimised
  };
  port::WindowService& windows_;
  std::vector<Minimised> minimised_;
};

}  // namespace tw
