#include <cstdlib>
#include <utility>

#include "port/run_request_inbox.h"
#include "port/x11/run_request_receiver.h"

namespace tw::port {

std::unique_ptr<EventSource> openRunRequestInbox(unsigned long window, std::function<void(const std::string&)> onText,
                                                 std::string& problem) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    problem = "DISPLAY is not set";
    return nullptr;
  }
  return x11::RunRequestReceiver::open(display, window, std::move(onText), problem);
}

}  // namespace tw::port
