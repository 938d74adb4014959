#pragma once
// Program messages between fake windows: a test marks windows as receivers; a text sent to one is recorded
// as "message <title>: <text>" and kept for the test to read.

#include <map>
#include <string>
#include <vector>

#include "port/fake/fake_log.h"
#include "port/fake/fake_windows.h"
#include "port/program_messages.h"

namespace tw::port::fake {

class FakeProgramMessages final : public ProgramMessages {
 public:
  FakeProgramMessages(ActionLog& log, FakeWindows& windows) : log_(log), windows_(windows) {}

  // A receiver that takes its texts at once, or (takesTexts false) one that never does, so that a sender
  // waits until the window goes.
  void markReceiver(WindowId window, bool takesTexts = true) { receivers_[window].takesTexts = takesTexts; }
  // The texts the window received, in order.
  std::vector<std::string> received(WindowId window) const;

  std::unique_ptr<MessageDelivery> send(const ReceiverQuery& query, std::string_view text) override;

 private:
  struct Receiver {
    bool takesTexts = true;
    std::vector<std::string> texts;
  };
  ActionLog& log_;
  FakeWindows& windows_;
  std::map<WindowId, Receiver> receivers_;
};

}  // namespace tw::port::fake
