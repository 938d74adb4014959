#include "recorder/qt/qt_events.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#include "port/event_sources.h"

namespace tw {

EventSourceWatch::EventSourceWatch(QObject* parent) : QObject(parent) { Watch(); }

void EventSourceWatch::Watch() {
  const std::vector<int> descriptors = port::EventDescriptors();
  std::erase_if(notifiers_, [&](QSocketNotifier* notifier) {
    if (std::find(descriptors.begin(), descriptors.end(), notifier->socket()) != descriptors.end()) return false;
    // Not deleted at once: this may run inside the notifier's own signal.
    notifier->setEnabled(false);
    notifier->deleteLater();
    return true;
  });
  for (const int descriptor : descriptors) {
    const bool watched = std::any_of(notifiers_.begin(), notifiers_.end(),
                                     [&](const QSocketNotifier* notifier) { return notifier->socket() == descriptor; });
    if (watched) continue;
    auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      port::ServeEventSources();
      Watch();  // a listener may have ended its source meanwhile
    });
    notifiers_.push_back(notifier);
  }
}

void WaitProcessingEvents(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(std::max(milliseconds, 0), &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace tw
