#include "port/event_sources.h"

#include <poll.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace tw::port {

namespace {

std::vector<EventSource*>& Sources() {
  static std::vector<EventSource*> sources;
  return sources;
}

bool serving = false;

}  // namespace

void AddEventSource(EventSource& source) { Sources().push_back(&source); }

void RemoveEventSource(EventSource& source) { std::erase(Sources(), &source); }

void ServeEventSources() {
  // A source's work never waits, so it never comes back here; the guard keeps it that way.
  if (serving) return;
  struct Guard {
    Guard() { serving = true; }
    ~Guard() { serving = false; }
  } guard;
  // A source may register or remove sources while it serves: go over a copy, skipping removed ones.
  const std::vector<EventSource*> sources = Sources();
  for (EventSource* source : sources)
    if (std::find(Sources().begin(), Sources().end(), source) != Sources().end()) source->serveEvents();
}

std::vector<int> EventDescriptors() {
  std::vector<int> descriptors;
  for (const EventSource* source : Sources())
    if (const int fd = source->eventDescriptor(); fd >= 0) descriptors.push_back(fd);
  return descriptors;
}

void WaitForEventSources(std::chrono::milliseconds timeout) {
  std::vector<pollfd> watched;
  for (const EventSource* source : Sources())
    if (const int fd = source->eventDescriptor(); fd >= 0)
      watched.push_back({fd, static_cast<short>(POLLIN | (source->wantsToWrite() ? POLLOUT : 0)), 0});
  const auto ms = static_cast<int>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 0));
  if (watched.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  ::poll(watched.data(), watched.size(), ms);
}

}  // namespace tw::port
