#pragma once
// The sender of the program-message protocol on X11 (docs/program-messages.md). It works on a connection of
// its own, opened at the first send, so the events it asks for never mix with those of the other services.
// While deliveries wait it is an event source: a wait wakes as soon as a receiver's answer arrives.

#include <list>
#include <memory>
#include <string>

#include "port/event_sources.h"
#include "port/program_messages.h"

namespace tw::port::x11 {

class X11Connection;

class X11ProgramMessages final : public ProgramMessages, public EventSource {
 public:
  explicit X11ProgramMessages(std::string displayName);
  ~X11ProgramMessages() override;
  X11ProgramMessages(const X11ProgramMessages&) = delete;
  X11ProgramMessages& operator=(const X11ProgramMessages&) = delete;

  // The delivery it gives must end before this object does.
  std::unique_ptr<MessageDelivery> send(const ReceiverQuery& query, std::string_view text) override;

  int eventDescriptor() const override;
  // Takes every event that arrived and tells each waiting delivery what concerns it.
  void serveEvents() override;

 private:
  class Delivery;
  struct Pending {
    unsigned long window = 0;
    unsigned long appendSerial = 0;
    bool finished = false;
    bool vanished = false;
  };
  X11Connection& connection();
  void release(std::list<Pending>::iterator pending);

  std::string displayName_;
  std::unique_ptr<X11Connection> connection_;
  std::list<Pending> pending_;
};

}  // namespace tw::port::x11
