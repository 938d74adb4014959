#pragma once
// For tests of Qt windows on the offscreen platform: acts as soon as a condition holds or a window of a type is
// visible, the way a user would once it appears, while the code under test runs its own event loop.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace tw::test {

// Calls `then` once `condition` holds, looking every few milliseconds from the event loop.
inline void When(std::function<bool()> condition, std::function<void()> then) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, condition = std::move(condition), then = std::move(then)] {
    if (!condition()) return;
    timer->stop();
    timer->deleteLater();
    then();
  });
  timer->start();
}

// Calls `act` every few milliseconds with each visible top-level window of type W it has not seen yet.
template <class W>
class WindowWatcher {
 public:
  explicit WindowWatcher(std::function<void(W&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
  }

 private:
  void Poll() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* found = qobject_cast<W*>(window);
      if (!found || !found->isVisible()) continue;
      bool known = false;
      for (const QPointer<W>& seen : seen_) known = known || seen.data() == found;
      if (known) continue;
      seen_.emplace_back(found);
      act_(*found);
    }
  }

  std::function<void(W&)> act_;
  std::vector<QPointer<W>> seen_;
  QTimer timer_;
};

}  // namespace tw::test
