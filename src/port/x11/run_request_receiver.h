#pragma once
// The receiving side of the program-message protocol on X11 (docs/program-messages.md): marks one top-level
// window of the program as accepting texts and hands every text other programs send it to a handler, in the
// order they arrived.
//
//   std::string problem;
//   auto receiver = RunRequestReceiver::open(":0", mainWindowId, [&](const std::string& text) { queue(text); },
//                                            problem);
//
// It works on an X connection of its own and is an event source (port/event_sources.h): the hosts' event pumps
// and every wait of the command library serve it, so texts arrive also while a script runs, even one that sends
// to this very window. The handler runs inside that serving: it should queue the text and return, never run a
// script or wait itself, and must not end the receiver.

#include <functional>
#include <memory>
#include <string>

#include "port/event_sources.h"

namespace tw::port::x11 {

class X11Connection;

class RunRequestReceiver final : public EventSource {
 public:
  using TextHandler = std::function<void(const std::string& text)>;

  // Marks `window` (mapped or hidden) and takes the texts already queued on it. nullptr when the display does
  // not open or the window does not exist; `problem` then says why.
  static std::unique_ptr<RunRequestReceiver> open(const std::string& displayName, unsigned long window,
                                                  TextHandler onText, std::string& problem);
  // Removes the mark, unless the window is gone.
  ~RunRequestReceiver() override;
  RunRequestReceiver(const RunRequestReceiver&) = delete;
  RunRequestReceiver& operator=(const RunRequestReceiver&) = delete;

  unsigned long window() const { return window_; }
  // The window no longer exists; nothing more will arrive.
  bool windowGone() const { return gone_; }

  int eventDescriptor() const override;
  void serveEvents() override;
  // Reads and deletes the queued texts and hands them on. serveEvents does this on every change of the
  // property; a program that gets the window's own events (the ClientMessage a sender sends to its owner) may
  // call it on that message too.
  void takeTexts();

 private:
  RunRequestReceiver(std::unique_ptr<X11Connection> connection, unsigned long window, TextHandler onText);
  std::unique_ptr<X11Connection> x_;
  unsigned long window_;
  TextHandler onText_;
  bool gone_ = false;
};

}  // namespace tw::port::x11
