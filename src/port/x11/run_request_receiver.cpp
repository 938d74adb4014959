#include "port/x11/run_request_receiver.h"

#include <X11/Xatom.h>

#include <cstdio>
#include <vector>

#include "port/x11/run_request_protocol.h"
#include "port/x11/x11_connection.h"

namespace tw::port::x11 {

std::unique_ptr<RunRequestReceiver> RunRequestReceiver::open(const std::string& displayName, unsigned long window,
                                                             TextHandler onText, std::string& problem) {
  auto connection = X11Connection::open(displayName);
  if (!connection) {
    problem = "cannot open display " + displayName;
    return nullptr;
  }
  Display* display = connection->display();
  {
    ErrorTrap trap(display);
    XSelectInput(display, window, PropertyChangeMask | StructureNotifyMask);
    const long version = kProtocolVersion;
    XChangeProperty(display, window, connection->atom(kReceiverMark), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    if (trap.failed()) {
      char id[32];
      std::snprintf(id, sizeof id, "0x%lx", window);
      problem = std::string("window ") + id + " does not exist on display " + displayName;
      return nullptr;
    }
  }
  problem.clear();
  std::unique_ptr<RunRequestReceiver> receiver(new RunRequestReceiver(std::move(connection), window, std::move(onText)));
  receiver->takeTexts();
  return receiver;
}

RunRequestReceiver::RunRequestReceiver(std::unique_ptr<X11Connection> connection, unsigned long window,
                                       TextHandler onText)
    : x_(std::move(connection)), window_(window), onText_(std::move(onText)) {
  AddEventSource(*this);
}

RunRequestReceiver::~RunRequestReceiver() {
  RemoveEventSource(*this);
  if (gone_) return;
  ErrorTrap trap(x_->display());
  XDeleteProperty(x_->display(), window_, x_->atom(kReceiverMark));
  trap.failed();
}

int RunRequestReceiver::eventDescriptor() const { return gone_ ? -1 : ConnectionNumber(x_->display()); }

void RunRequestReceiver::serveEvents() {
  Display* display = x_->display();
  const Atom request = x_->atom(kRequestProperty);
  bool arrived = false;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.xany.window != window_) continue;
    if (event.type == DestroyNotify) gone_ = true;
    if (event.type == PropertyNotify && event.xproperty.atom == request && event.xproperty.state == PropertyNewValue)
      arrived = true;
    if (event.type == ClientMessage && event.xclient.message_type == request) arrived = true;
  }
  if (arrived && !gone_) takeTexts();
}

void RunRequestReceiver::takeTexts() {
  Display* display = x_->display();
  std::vector<std::string> texts;
  ErrorTrap trap(display);
  for (;;) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    // One read that takes everything and deletes it: texts appended meanwhile stay for the next change.
    const int status = XGetWindowProperty(display, window_, x_->atom(kRequestProperty), 0, 0x1fffffff, True,
                                          AnyPropertyType, &type, &format, &count, &remaining, &data);
    if (status != Success || type == None) {
      if (data) XFree(data);
      break;
    }
    if (format == 8) {
      const std::string bytes(reinterpret_cast<const char*>(data), count);
      for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find('\0', at);
        if (end == std::string::npos) {
          texts.push_back(bytes.substr(at));  // a last text without its zero byte, as xprop -set writes it
          break;
        }
        texts.push_back(bytes.substr(at, end - at));
        at = end + 1;
      }
    }
    XFree(data);
    if (remaining == 0) break;
  }
  if (trap.failed()) gone_ = true;
  for (const std::string& text : texts) onText_(text);
}

}  // namespace tw::port::x11
