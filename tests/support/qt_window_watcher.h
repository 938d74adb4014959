#pragma once
// For tests of Qt windows on the offscreen platform: acts on each window of a type as soon as it is visible,
// the way a user would once it appears, while the code under test runs its own event loop.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace tw::test {

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
