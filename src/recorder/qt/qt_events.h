#pragma once
// The recorder's windows and Qt's event loop: the platform's event sources (the input recording among them)
// served while Qt waits, and waits that let the program's events go on.

#include <QObject>
#include <vector>

class QSocketNotifier;

namespace tw {

// While it lives, serves the registered event sources as soon as one of their descriptors is ready. Call
// Watch() after registering or removing a source, before the event loop runs again: a source that ended has
// closed its descriptor.
class EventSourceWatch : public QObject {
 public:
  explicit EventSourceWatch(QObject* parent = nullptr);
  void Watch();

 private:
  std::vector<QSocketNotifier*> notifiers_;  // children of this object
};

// Waits `milliseconds` while Qt's events (and the sources a watch serves) go on.
void WaitProcessingEvents(int milliseconds);

}  // namespace tw
