#pragma once
// Input recording through the RECORD extension: one context for every client takes the key and button events,
// XTEST's FakeInput requests (so that the events this program makes itself are left out) and the core
// ChangeKeyboardMapping requests (so that a key remapped for one press types what it typed then). Pointer motion
// is not taken: nothing reads it and it would flood the recording. The recorded data arrives on a connection of
// its own; the program's event loop serves it as an event source, without a thread.

#include <memory>
#include <string>

#include "port/event_sources.h"
#include "port/input_recording.h"

namespace tw::port::x11 {

class X11Connection;

class X11InputRecording final : public InputRecording, public EventSource {
 public:
  // `own` is the connection the desktop's keyboard and pointer send their input through.
  X11InputRecording(X11Connection& own, std::string displayName);
  ~X11InputRecording() override;
  X11InputRecording(const X11InputRecording&) = delete;
  X11InputRecording& operator=(const X11InputRecording&) = delete;

  bool start(InputListener& listener, std::string& problem) override;
  void stop() override;
  bool recording() const override { return session_ != nullptr; }

  int eventDescriptor() const override;
  void serveEvents() override;

 private:
  class Session;
  X11Connection& own_;
  std::string displayName_;
  InputListener* listener_ = nullptr;
  std::unique_ptr<Session> session_;
};

}  // namespace tw::port::x11
