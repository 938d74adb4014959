#include "port/x11/x11_clipboard.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "port/x11/x11_connection.h"
#include "port/x11/x11_text.h"

namespace tw::port::x11 {
namespace {

using Clock = std::chrono::steady_clock;
// How long an owner may take to hand over its text, and a clipboard manager to take ours.
constexpr auto kAnswerTime = std::chrono::seconds(3);

struct Property {
  Atom type = None;
  int format = 0;
  std::string bytes;
};

}  // namespace

// Everything that touches the clipboard's X connection runs on the worker thread; other threads hand it tasks.
struct X11Clipboard::Worker {
  explicit Worker(std::unique_ptr<X11Connection> connection);
  ~Worker();

  template <class F>
  auto call(F job) -> decltype(job());

  void loop();
  void handle(const XEvent& event);
  // Serves requests until an event that `wanted` accepts arrives (true) or the deadline passes (false).
  bool waitFor(const std::function<bool(const XEvent&)>& wanted, Clock::time_point deadline, XEvent& found);
  void answer(const XSelectionRequestEvent& request);
  Property take(Atom property);
  std::optional<std::string> fetch();
  bool own(const std::string& text);
  void handToManager();

  std::unique_ptr<X11Connection> x;
  Display* display;
  Window window = 0;
  Atom clipboard, utf8, targets, incr, transfer;
  int wake[2] = {-1, -1};
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  bool stopping = false;
  std::optional<std::string> owned;  // the text while we own the clipboard
  Time ownedSince = CurrentTime;
  std::thread thread;
};

X11Clipboard::Worker::Worker(std::unique_ptr<X11Connection> connection)
    : x(std::move(connection)),
      display(x->display()),
      clipboard(x->atom("CLIPBOARD")),
      utf8(x->atom("UTF8_STRING")),
      targets(x->atom("TARGETS")),
      incr(x->atom("INCR")),
      transfer(x->atom("TW_CLIPBOARD")) {
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  window = XCreateWindow(display, x->root(), -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent, CWEventMask,
                         &attributes);
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe2 failed");
  thread = std::thread([this] { loop(); });
}

X11Clipboard::Worker::~Worker() {
  call([this] { handToManager(); });
  {
    std::lock_guard lock(mutex);
    stopping = true;
  }
  const char byte = 1;
  (void)!write(wake[1], &byte, 1);
  thread.join();
  XDestroyWindow(display, window);
  XSync(display, False);
  ::close(wake[0]);
  ::close(wake[1]);
}

template <class F>
auto X11Clipboard::Worker::call(F job) -> decltype(job()) {
  std::packaged_task<decltype(job())()> task(std::move(job));
  auto result = task.get_future();
  {
    std::lock_guard lock(mutex);
    tasks.emplace_back([&task] { task(); });
  }
  const char byte = 1;
  (void)!write(wake[1], &byte, 1);
  return result.get();
}

void X11Clipboard::Worker::loop() {
  for (;;) {
    std::deque<std::function<void()>> now;
    {
      std::lock_guard lock(mutex);
      now.swap(tasks);
      if (now.empty() && stopping) return;
    }
    for (auto& task : now) task();
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      handle(event);
    }
    pollfd ready[2] = {{ConnectionNumber(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
    poll(ready, 2, -1);
    char drain[64];
    while (read(wake[0], drain, sizeof drain) > 0) {
    }
  }
}

void X11Clipboard::Worker::handle(const XEvent& event) {
  if (event.type == SelectionRequest) {
    answer(event.xselectionrequest);
  } else if (event.type == SelectionClear && event.xselectionclear.selection == clipboard) {
    owned.reset();  // another program took the clipboard
  }
}

bool X11Clipboard::Worker::waitFor(const std::function<bool(const XEvent&)>& wanted, Clock::time_point deadline,
                                   XEvent& found) {
  for (;;) {
    while (XPending(display)) {
      XNextEvent(display, &found);
      if (wanted(found)) return true;
      handle(found);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd ready{ConnectionNumber(display), POLLIN, 0};
    poll(&ready, 1, static_cast<int>(left));
  }
}

void X11Clipboard::Worker::answer(const XSelectionRequestEvent& request) {
  XEvent reply{};
  XSelectionEvent& notify = reply.xselection;
  notify.type = SelectionNotify;
  notify.display = display;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.time = request.time;
  notify.property = None;
  // Clients of the old protocol leave the property out and mean the target.
  const Atom property = request.property == None ? request.target : request.property;
  const Atom text = x->atom("TEXT"), timestamp = x->atom("TIMESTAMP");
  const bool ours = owned && request.selection == clipboard &&
                    (request.time == CurrentTime || request.time >= ownedSince);
  auto put = [&](Atom type, int format, const void* data, std::size_t count) {
    XChangeProperty(display, request.requestor, property, type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), static_cast<int>(count));
    notify.property = property;
  };
  // Text longer than one request can carry is refused rather than cut short.
  const std::size_t limit = static_cast<std::size_t>(
      (XExtendedMaxRequestSize(display) ? XExtendedMaxRequestSize(display) : XMaxRequestSize(display)) * 4 - 1024);
  if (ours && request.target == targets) {
    const Atom offered[] = {targets, utf8, text, XA_STRING, timestamp};
    put(XA_ATOM, 32, offered, 5);
  } else if (ours && (request.target == utf8 || request.target == text) && owned->size() <= limit) {
    put(utf8, 8, owned->data(), owned->size());
  } else if (ours && request.target == XA_STRING && owned->size() <= limit) {
    const std::string latin1 = utf8ToLatin1(*owned);
    put(XA_STRING, 8, latin1.data(), latin1.size());
  } else if (ours && request.target == timestamp) {
    const long since = static_cast<long>(ownedSince);
    put(XA_INTEGER, 32, &since, 1);
  }
  XSendEvent(display, request.requestor, False, NoEventMask, &reply);
  XFlush(display);
}

Property X11Clipboard::Worker::take(Atom property) {
  Property out;
  long offset = 0;
  for (;;) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, offset, 1 << 20, False, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) != Success) {
      break;
    }
    out.type = type;
    out.format = format;
    const std::size_t unit = format == 8 ? 1 : format == 16 ? sizeof(short) : sizeof(long);
    if (data) out.bytes.append(reinterpret_cast<const char*>(data), count * unit);
    if (data) XFree(data);
    if (remaining == 0 || format == 0) break;
    offset += static_cast<long>(format == 8 ? count / 4 : format == 16 ? count / 2 : count);  // 32-bit units
  }
  XDeleteProperty(display, window, property);
  XFlush(display);
  return out;
}

std::optional<std::string> X11Clipboard::Worker::fetch() {
  if (owned) return owned;
  if (XGetSelectionOwner(display, clipboard) == None) return std::nullopt;
  for (const Atom target : {utf8, static_cast<Atom>(XA_STRING)}) {
    XDeleteProperty(display, window, transfer);
    XConvertSelection(display, clipboard, target, transfer, window, CurrentTime);
    XEvent event;
    const auto deadline = Clock::now() + kAnswerTime;
    if (!waitFor([&](const XEvent& e) { return e.type == SelectionNotify && e.xselection.requestor == window; },
                 deadline, event))
      return std::nullopt;
    if (event.xselection.property == None) continue;  // the owner has no text of this kind
    Property property = take(transfer);
    if (property.type == incr) {
      // Large text comes in pieces: each piece is a new value of the property, an empty one ends it.
      std::string whole;
      for (;;) {
        const auto pieceDeadline = Clock::now() + kAnswerTime;
        if (!waitFor([&](const XEvent& e) {
              return e.type == PropertyNotify && e.xproperty.window == window && e.xproperty.atom == transfer &&
                     e.xproperty.state == PropertyNewValue;
            },
            pieceDeadline, event))
          return std::nullopt;
        Property piece = take(transfer);
        if (piece.bytes.empty()) break;
        property.type = piece.type;
        property.format = piece.format;
        whole += piece.bytes;
      }
      property.bytes = std::move(whole);
    }
    if (property.format != 8) continue;
    return property.type == XA_STRING ? latin1ToUtf8(property.bytes) : property.bytes;
  }
  return std::nullopt;
}

bool X11Clipboard::Worker::own(const std::string& text) {
  const Time now = x->serverTime();
  XSetSelectionOwner(display, clipboard, window, now);
  if (XGetSelectionOwner(display, clipboard) != window) return false;
  owned = text;
  ownedSince = now;
  return true;
}

// The freedesktop clipboard-manager protocol: ask the manager to save our clipboard, then serve its
// requests until it says it is done.
void X11Clipboard::Worker::handToManager() {
  const Atom manager = x->atom("CLIPBOARD_MANAGER");
  if (!owned || XGetSelectionOwner(display, manager) == None) return;
  XConvertSelection(display, manager, x->atom("SAVE_TARGETS"), x->atom("TW_SAVED"), window, CurrentTime);
  XEvent event;
  waitFor([&](const XEvent& e) { return e.type == SelectionNotify && e.xselection.selection == manager; },
          Clock::now() + kAnswerTime, event);
}

std::unique_ptr<X11Clipboard> X11Clipboard::open(const std::string& displayName) {
  auto connection = X11Connection::open(displayName);
  if (!connection) return nullptr;
  return std::unique_ptr<X11Clipboard>(new X11Clipboard(std::make_unique<Worker>(std::move(connection))));
}

X11Clipboard::X11Clipboard(std::unique_ptr<Worker> worker) : worker_(std::move(worker)) {}
X11Clipboard::~X11Clipboard() = default;

std::optional<std::string> X11Clipboard::text() {
  return worker_->call([this] { return worker_->fetch(); });
}

bool X11Clipboard::setText(const std::string& text) {
  return worker_->call([this, &text] { return worker_->own(text); });
}

}  // namespace tw::port::x11
