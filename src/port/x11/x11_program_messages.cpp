#include "port/x11/x11_program_messages.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "port/unavailable.h"
#include "port/x11/run_request_protocol.h"
#include "port/x11/x11_connection.h"
#include "port/x11/x11_windows.h"

namespace tw::port::x11 {
namespace {

bool isMarkedReceiver(X11Connection& x, Window window) {
  const auto version = x.longs(window, kReceiverMark, XA_CARDINAL);
  return version && !version->empty() && static_cast<long>((*version)[0]) >= kProtocolVersion;
}

}  // namespace

class X11ProgramMessages::Delivery final : public MessageDelivery {
 public:
  Delivery(X11ProgramMessages& owner, std::list<Pending>::iterator pending) : owner_(owner), pending_(pending) {}
  ~Delivery() override { owner_.release(pending_); }
  bool finished() override {
    owner_.serveEvents();
    return pending_->finished;
  }

 private:
  X11ProgramMessages& owner_;
  std::list<Pending>::iterator pending_;
};

X11ProgramMessages::X11ProgramMessages(std::string displayName) : displayName_(std::move(displayName)) {
  AddEventSource(*this);
}

X11ProgramMessages::~X11ProgramMessages() { RemoveEventSource(*this); }

X11Connection& X11ProgramMessages::connection() {
  if (!connection_) {
    connection_ = X11Connection::open(displayName_);
    if (!connection_) throw ServiceUnavailable("cannot open display " + displayName_);
  }
  return *connection_;
}

int X11ProgramMessages::eventDescriptor() const {
  const bool waiting = std::any_of(pending_.begin(), pending_.end(), [](const Pending& p) { return !p.finished; });
  return waiting ? ConnectionNumber(connection_->display()) : -1;
}

void X11ProgramMessages::serveEvents() {
  if (!connection_) return;
  Display* display = connection_->display();
  const Atom request = connection_->atom(kRequestProperty);
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    for (Pending& pending : pending_) {
      if (event.xany.window != pending.window) continue;
      if (event.type == DestroyNotify) {
        pending.finished = pending.vanished = true;
      } else if (event.type == PropertyNotify && event.xproperty.atom == request &&
                 event.xproperty.state == PropertyDelete && event.xproperty.serial >= pending.appendSerial) {
        // A deletion the server made before this append carries an older serial: it took other texts.
        pending.finished = true;
      }
    }
  }
}

void X11ProgramMessages::release(std::list<Pending>::iterator pending) {
  const Pending done = *pending;
  pending_.erase(pending);
  if (done.vanished) return;
  for (const Pending& other : pending_)
    if (other.window == done.window) return;  // still listened to for another text
  ErrorTrap trap(connection_->display());
  XSelectInput(connection_->display(), done.window, NoEventMask);
  trap.failed();
}

std::unique_ptr<MessageDelivery> X11ProgramMessages::send(const ReceiverQuery& query, std::string_view text) {
  X11Connection& x = connection();
  X11Windows windows(x);
  const WindowId target = FindReceiver(windows, query, [&](WindowId window) { return isMarkedReceiver(x, window); });
  if (target == kNoWindow) return nullptr;

  Display* display = x.display();
  std::string data(text.substr(0, text.find('\0')));
  data.push_back('\0');
  ErrorTrap trap(display);
  // Listen before writing, so the receiver's deletion cannot slip by unseen.
  XSelectInput(display, target, PropertyChangeMask | StructureNotifyMask);
  Pending pending;
  pending.window = target;
  pending.appendSerial = NextRequest(display);
  XChangeProperty(display, target, x.atom(kRequestProperty), XA_STRING, 8, PropModeAppend,
                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = x.atom(kRequestProperty);
  event.xclient.format = 32;
  event.xclient.data.l[0] = kProtocolVersion;
  // No event mask: the event goes to the client that made the window.
  XSendEvent(display, target, False, NoEventMask, &event);
  // An error here means the window went away since it was found.
  pending.vanished = pending.finished = trap.failed();
  pending_.push_back(pending);
  return std::make_unique<Delivery>(*this, std::prev(pending_.end()));
}

}  // namespace tw::port::x11
