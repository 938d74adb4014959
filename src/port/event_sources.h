#pragma once
// Services that do their work on the program's own thread (the conversation bus) register here, so that the
// hosts' event pumps serve them and every wait wakes as soon as one of them has traffic, instead of sleeping
// through it.

#include <chrono>
#include <vector>

namespace tw::port {

class EventSource {
 public:
  virtual ~EventSource() = default;
  // The descriptor that becomes ready when there is work; -1 while there is none to watch.
  virtual int eventDescriptor() const = 0;
  // Whether the source also waits to write (output is queued).
  virtual bool wantsToWrite() const { return false; }
  // Does everything that is ready, without blocking.
  virtual void serveEvents() = 0;
};

// Sources are registered by the object itself and removed before it ends.
void AddEventSource(EventSource& source);
void RemoveEventSource(EventSource& source);

// Serves every registered source. Safe to call from anywhere but a source's own serveEvents.
void ServeEventSources();

// The descriptors of the registered sources, for event loops that watch them while the program is idle.
std::vector<int> EventDescriptors();

// Sleeps until a source's descriptor is ready or `timeout` has passed; serves nothing itself.
void WaitForEventSources(std::chrono::milliseconds timeout);

}  // namespace tw::port
