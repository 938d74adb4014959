#include "port/fake/fake_program_messages.h"

namespace tw::port::fake {

namespace {

class FakeDelivery final : public MessageDelivery {
 public:
  FakeDelivery(FakeWindows& windows, WindowId window, bool taken) : windows_(windows), window_(window), taken_(taken) {}
  bool finished() override { return taken_ || !windows_.exists(window_); }

 private:
  FakeWindows& windows_;
  WindowId window_;
  bool taken_;
};

}  // namespace

std::vector<std::string> FakeProgramMessages::received(WindowId window) const {
  const auto found = receivers_.find(window);
  return found == receivers_.end() ? std::vector<std::string>{} : found->second.texts;
}

std::unique_ptr<MessageDelivery> FakeProgramMessages::send(const ReceiverQuery& query, std::string_view text) {
  const WindowId target = FindReceiver(windows_, query, [&](WindowId window) {
    return receivers_.count(window) != 0 && windows_.exists(window);
  });
  if (target == kNoWindow) return nullptr;
  const std::string taken(text.substr(0, text.find('\0')));
  Receiver& receiver = receivers_[target];
  receiver.texts.push_back(taken);
  log_.push_back("message " + windows_.title(target) + ": " + taken);
  return std::make_unique<FakeDelivery>(windows_, target, receiver.takesTexts);
}

}  // namespace tw::port::fake
