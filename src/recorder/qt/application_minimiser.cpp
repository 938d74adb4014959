#include "recorder/qt/application_minimiser.h"

#include <QApplication>

namespace tw {

ApplicationMinimiser::ApplicationMinimiser(port::WindowService& windows, const QWidget* keep) : windows_(windows) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == keep || !window->isVisible() || window->isMinimized()) continue;
    const bool minimised = windows_.minimise(static_cast<port::WindowId>(window->winId()));
    if (!minimised) window->hide();
    minimised_.push_back({window, !minimised});
  }
}

ApplicationMinimiser::~ApplicationMinimiser() {
  for (const Minimised& entry : minimised_) {
    if (!entry.window) continue;
    if (entry.hidden)
      entry.window->show();
    else
      windows_.restore(static_cast<port::WindowId>(entry.window->winId()));
  }
}

}  // namespace tw
