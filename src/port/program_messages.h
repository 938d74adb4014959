#pragma once
// Handing a text to a window of another program that accepts texts (the main program takes each text as the
// name of a script to run). Receivers mark the window they accept texts on; unmarked windows are never written
// to. The X11 form of this is described in docs/program-messages.md.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "port/windows.h"

namespace tw::port {

// Which receiver a text goes to: the one whose window class (either half) is `windowClass`, or, when that is
// empty, the one titled `title`; ASCII letter case ignored. An empty title names no window.
struct ReceiverQuery {
  std::string title;
  std::string windowClass;
};

bool ReceiverMatches(const ReceiverQuery& query, const WindowClass& windowClass, std::string_view title);

// The first of the top-level windows, in the order `windows` lists them, that `isReceiver` accepts and the query
// names; kNoWindow when none.
WindowId FindReceiver(WindowService& windows, const ReceiverQuery& query,
                      const std::function<bool(WindowId)>& isReceiver);

// A text on its way to a receiver.
class MessageDelivery {
 public:
  virtual ~MessageDelivery() = default;
  // The receiver has taken the text, or its window is gone. Looks at what arrived; never waits.
  virtual bool finished() = 0;
};

class ProgramMessages {
 public:
  virtual ~ProgramMessages() = default;
  // Hands `text` (up to its first zero byte) to the receiver the query names. nullptr when there is none; the
  // caller then waits on the delivery for as long as it wants the receiver to take the text.
  virtual std::unique_ptr<MessageDelivery> send(const ReceiverQuery& query, std::string_view text) = 0;
};

}  // namespace tw::port
