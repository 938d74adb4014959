#include "port/x11/x11_input_recording.h"

#include <X11/XKBlib.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/extensions/xtestproto.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <variant>

#include "port/x11/key_tracker.h"
#include "port/x11/x11_connection.h"

namespace tw::port::x11 {

namespace {

// An event, or the news that the desktop paused (true) or resumed (false).
using Recorded = std::variant<InputEvent, bool>;

// The locale whose compose table combines dead keys: the user's, as the programs typed into see it.
std::string UserLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* value = std::getenv(name); value && *value) return value;
  return "C";
}

std::uint32_t Card32(const unsigned char* bytes, bool swapped) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return swapped ? __builtin_bswap32(value) : value;
}

// A new keyboard (also when input moves to another device) or a new layout.
bool ChangesKeymap(const XEvent& event, int xkbEvent) {
  if (event.type != xkbEvent) return false;
  const int type = reinterpret_cast<const XkbEvent&>(event).any.xkb_type;
  return type == XkbNewKeyboardNotify || type == XkbMapNotify;
}

// When the server sent it; none for news that carries no time, which is taken at once.
std::optional<std::uint32_t> NewsTime(const XEvent& event, int xkbEvent, int saverEvent) {
  if (event.type == xkbEvent) return static_cast<std::uint32_t>(reinterpret_cast<const XkbEvent&>(event).any.time);
  if (saverEvent >= 0 && event.type == saverEvent + ScreenSaverNotify)
    return static_cast<std::uint32_t>(reinterpret_cast<const XScreenSaverNotifyEvent&>(event).time);
  return std::nullopt;
}

}  // namespace

class X11InputRecording::Session {
 public:
  static std::unique_ptr<Session> open(const std::string& displayName, X11Connection& own, std::string& problem);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int descriptor() const { return epoll_; }
  // What arrived since the last call, in the order it happened.
  void read(std::deque<Recorded>& out);

 private:
  Session() = default;
  bool setUp(const std::string& displayName, X11Connection& own, std::string& problem);
  static void intercepted(XPointer closure, XRecordInterceptData* data);
  void takeRequest(const XRecordInterceptData& data);
  void takeEvent(const XRecordInterceptData& data);
  void takeNews(const XEvent& event, bool& reload);
  void applyNews(std::optional<std::uint32_t> serverTime);
  void reloadKeymap();
  bool watchData(bool watched);
  void pace(bool tookData);

  struct OwnInput {
    int type;
    unsigned detail;
  };

  Display* control_ = nullptr;  // asks the server, and hears of keyboard and screen saver changes
  Display* data_ = nullptr;     // receives the recorded protocol
  XRecordContext context_ = 0;
  int epoll_ = -1;
  int restTimer_ = -1;         // see pace()
  bool resting_ = false;       // the data connection is not watched until restTimer_ runs out
  std::size_t intercepted_ = 0;
  int xtestOpcode_ = 0;
  int xkbEvent_ = 0;
  int saverEvent_ = -1;
  bool saved_ = false;
  bool started_ = false;
  XID ownBase_ = 0;
  XID baseMask_ = 0;
  std::uint32_t startTime_ = 0;
  std::int32_t keyboardDevice_ = -1;
  xkb_context* xkb_ = nullptr;
  std::unique_ptr<KeyTracker> keys_;
  std::deque<OwnInput> ownInput_;
  std::deque<XEvent> news_;  // from the control connection, taken in server time order with the recorded input
  std::size_t keymapNewsPending_ = 0;  // how many of news_ change the keymap
  std::deque<Recorded>* sink_ = nullptr;
};

std::unique_ptr<X11InputRecording::Session> X11InputRecording::Session::open(const std::string& displayName,
                                                                             X11Connection& own,
                                                                             std::string& problem) {
  std::unique_ptr<Session> session(new Session);
  if (!session->setUp(displayName, own, problem)) return nullptr;
  problem.clear();
  return session;
}

bool X11InputRecording::Session::setUp(const std::string& displayName, X11Connection& own, std::string& problem) {
  control_ = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  data_ = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (!control_ || !data_) {
    problem = "cannot open display " + displayName;
    return false;
  }
  int major = 0, minor = 0, event = 0, error = 0;
  if (!XRecordQueryVersion(control_, &major, &minor)) {
    problem = "display " + displayName + " has no RECORD extension for recording input";
    return false;
  }
  if (!XQueryExtension(control_, "XTEST", &xtestOpcode_, &event, &error)) {
    problem = "display " + displayName + " has no XTEST extension";
    return false;
  }

  // The keyboard: its layout now, its locks now, and news of changes to either.
  int xkbOpcode = 0;
  major = XkbMajorVersion;
  minor = XkbMinorVersion;
  xcb_connection_t* xcb = XGetXCBConnection(control_);
  if (!XkbQueryExtension(control_, &xkbOpcode, &xkbEvent_, &error, &major, &minor) ||
      !xkb_x11_setup_xkb_extension(xcb, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
    problem = "display " + displayName + " has no X Keyboard Extension";
    return false;
  }
  keyboardDevice_ = xkb_x11_get_core_keyboard_device_id(xcb);
  xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap =
      xkb_ ? xkb_x11_keymap_new_from_device(xkb_, xcb, keyboardDevice_, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  if (!keymap) {
    problem = "cannot read the keyboard layout of display " + displayName;
    return false;
  }
  keys_ = std::make_unique<KeyTracker>(xkb_, UserLocale());
  keys_->useKeymap(keymap);
  XkbSelectEvents(control_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                  XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
  // Of the state only the locks: held modifiers follow from the recorded keys themselves.
  XkbSelectEventDetails(control_, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask | XkbGroupLockMask,
                        XkbModifierLockMask | XkbGroupLockMask);
  XkbStateRec state{};
  if (XkbGetState(control_, XkbUseCoreKbd, &state) == Success) keys_->setLocks(state.locked_mods, state.locked_group);

  // The screen saver: nothing is recorded while it runs, nor while a locker shows on it.
  if (XScreenSaverQueryExtension(control_, &saverEvent_, &error)) {
    const Window root = XDefaultRootWindow(control_);
    XScreenSaverSelectInput(control_, root, ScreenSaverNotifyMask);
    if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
      if (XScreenSaverQueryInfo(control_, root, info)) saved_ = info->state == ScreenSaverOn;
      XFree(info);
    }
  } else {
    saverEvent_ = -1;
  }

  // Our own input comes from the client whose resources share the base of an id that connection hands out.
  baseMask_ = XRecordIdBaseMask(own.display());
  ownBase_ = XAllocID(own.display()) & baseMask_;
  startTime_ = static_cast<std::uint32_t>(own.serverTime());

  XRecordRange* range = XRecordAllocRange();
  if (!range) {
    problem = "out of memory";
    return false;
  }
  range->device_events = {KeyPress, ButtonRelease};
  range->core_requests = {X_ChangeKeyboardMapping, X_ChangeKeyboardMapping};
  range->ext_requests.ext_major = {static_cast<unsigned char>(xtestOpcode_), static_cast<unsigned char>(xtestOpcode_)};
  range->ext_requests.ext_minor = {X_XTestFakeInput, X_XTestFakeInput};
  XRecordClientSpec clients = XRecordAllClients;
  {
    ErrorTrap trap(control_);
    context_ = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
    if (trap.failed()) context_ = 0;
  }
  XFree(range);
  if (!context_ || !XRecordEnableContextAsync(data_, context_, &Session::intercepted, reinterpret_cast<XPointer>(this))) {
    problem = "the X server refused to record input on display " + displayName;
    return false;
  }
  XFlush(data_);
  // Once the server has begun (its first reply), every later input is recorded.
  constexpr int kStartPatienceMs = 10000;
  while (!started_) {
    pollfd ready{XConnectionNumber(data_), POLLIN, 0};
    if (::poll(&ready, 1, kStartPatienceMs) <= 0) {
      problem = "the X server did not begin to record input on display " + displayName;
      return false;
    }
    XRecordProcessReplies(data_);
  }

  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  restTimer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  bool watching = epoll_ >= 0 && restTimer_ >= 0;
  for (const int fd : {XConnectionNumber(control_), XConnectionNumber(data_), restTimer_}) {
    epoll_event watch{};
    watch.events = EPOLLIN;
    watch.data.fd = fd;
    watching = watching && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &watch) == 0;
  }
  if (!watching) {
    problem = std::string("cannot watch the recording: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool X11InputRecording::Session::watchData(bool watched) {
  epoll_event watch{};
  watch.events = watched ? std::uint32_t{EPOLLIN} : 0U;
  watch.data.fd = XConnectionNumber(data_);
  return ::epoll_ctl(epoll_, EPOLL_CTL_MOD, watch.data.fd, &watch) == 0;
}

// Fast typing brings a recorded event every few hundred microseconds, and waking for each one costs the
// process several times what handling it does. So after a read that took data, the data connection rests for
// a few milliseconds: it is not watched, and the timer wakes the next read, which takes everything that came
// meanwhile at once. A read that finds nothing new watches the connection again, so a key typed alone is read
// as soon as it comes. Either the connection is watched or the timer runs: nothing that arrives is left
// unread. News on the control connection (layout, screen saver) is always watched.
void X11InputRecording::Session::pace(bool tookData) {
  if (tookData) {
    constexpr long kRestNanoseconds = 5'000'000;
    itimerspec once{};
    once.it_value.tv_nsec = kRestNanoseconds;
    if (::timerfd_settime(restTimer_, 0, &once, nullptr) != 0) return;  // keeps watching
    if (!resting_) resting_ = watchData(false);
    return;
  }
  if (!resting_ || !watchData(true)) return;
  resting_ = false;
  const itimerspec disarmed{};
  ::timerfd_settime(restTimer_, 0, &disarmed, nullptr);
}

X11InputRecording::Session::~Session() {
  if (context_) {
    XRecordDisableContext(control_, context_);
    XRecordFreeContext(control_, context_);
    XSync(control_, False);
  }
  if (data_) XCloseDisplay(data_);
  keys_.reset();
  if (xkb_) xkb_context_unref(xkb_);
  if (control_) XCloseDisplay(control_);
  if (epoll_ >= 0) ::close(epoll_);
  if (restTimer_ >= 0) ::close(restTimer_);
}

void X11InputRecording::Session::read(std::deque<Recorded>& out) {
  // Clears the rest timer if it ran out; one still running has nothing to read.
  std::uint64_t expirations = 0;
  if (::read(restTimer_, &expirations, sizeof expirations) < 0) expirations = 0;
  sink_ = &out;
  // A read can take several milliseconds of input at once, and news of the keyboard and the screen saver that
  // came meanwhile: each piece of news is taken just before the first input that followed it, so keys typed
  // before a layout change are read with the layout they were typed on.
  while (XPending(control_) > 0) {
    news_.emplace_back();
    XNextEvent(control_, &news_.back());
    if (ChangesKeymap(news_.back(), xkbEvent_)) ++keymapNewsPending_;
  }
  const std::size_t before = intercepted_;
  XRecordProcessReplies(data_);
  applyNews(std::nullopt);
  sink_ = nullptr;
  pace(intercepted_ != before);
}

// Takes the news sent no later than `serverTime`, or all of it.
void X11InputRecording::Session::applyNews(std::optional<std::uint32_t> serverTime) {
  bool reload = false;
  while (!news_.empty()) {
    const auto sent = NewsTime(news_.front(), xkbEvent_, saverEvent_);
    // Server time wraps after 49 days: compare by difference.
    if (serverTime && sent && static_cast<std::int32_t>(*sent - *serverTime) > 0) break;
    takeNews(news_.front(), reload);
    news_.pop_front();
  }
  if (reload) reloadKeymap();
}

void X11InputRecording::Session::takeNews(const XEvent& event, bool& reload) {
  if (event.type == xkbEvent_) {
    const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
    // The server gives only the keymap it has now, which is the one after the last change read: it is taken
    // there, and keys before that keep the keymap they had.
    if (ChangesKeymap(event, xkbEvent_) && --keymapNewsPending_ == 0) reload = true;
    // Locks that a key changed follow from the recorded key; others (a program's request) are taken over.
    if (xkb.any.xkb_type == XkbStateNotify && xkb.state.keycode == 0)
      keys_->setLocks(xkb.state.locked_mods, xkb.state.locked_group);
    return;
  }
  if (saverEvent_ >= 0 && event.type == saverEvent_ + ScreenSaverNotify) {
    const bool saved = reinterpret_cast<const XScreenSaverNotifyEvent&>(event).state != ScreenSaverOff;
    if (saved == saved_) return;
    saved_ = saved;
    keys_->resetCompose();
    sink_->push_back(saved);
  }
}

void X11InputRecording::Session::reloadKeymap() {
  xkb_keymap* keymap = xkb_x11_keymap_new_from_device(xkb_, XGetXCBConnection(control_), keyboardDevice_,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap) keys_->useKeymap(keymap);
}

void X11InputRecording::Session::intercepted(XPointer closure, XRecordInterceptData* data) {
  auto* session = reinterpret_cast<Session*>(closure);
  ++session->intercepted_;
  if (data->category == XRecordStartOfData) session->started_ = true;
  if (session->sink_) {
    if (data->category == XRecordFromClient) session->takeRequest(*data);
    if (data->category == XRecordFromServer) session->takeEvent(*data);
  }
  XRecordFreeData(data);
}

void X11InputRecording::Session::takeRequest(const XRecordInterceptData& data) {
  const unsigned char* bytes = data.data;
  const std::size_t size = static_cast<std::size_t>(data.data_len) * 4;
  if (size < 8) return;
  if (bytes[0] == X_ChangeKeyboardMapping) {
    const unsigned count = bytes[1], first = bytes[4], perKeycode = bytes[5];
    std::vector<std::uint32_t> symbols;
    for (std::size_t at = 8; at + 4 <= size && symbols.size() < std::size_t{count} * perKeycode; at += 4)
      symbols.push_back(Card32(bytes + at, data.client_swapped));
    keys_->changeCoreMapping(first, perKeycode, symbols);
    return;
  }
  if (bytes[0] == xtestOpcode_ && bytes[1] == X_XTestFakeInput && (data.id_base & baseMask_) == ownBase_) {
    const int type = bytes[4];
    if (type >= KeyPress && type <= ButtonRelease) ownInput_.push_back({type, bytes[5]});
  }
}

void X11InputRecording::Session::takeEvent(const XRecordInterceptData& data) {
  const unsigned char* bytes = data.data;
  if (static_cast<std::size_t>(data.data_len) * 4 < 8) return;
  const int type = bytes[0] & 0x7f;
  if (type < KeyPress || type > ButtonRelease) return;
  const unsigned detail = bytes[1];
  const std::uint32_t serverTime = Card32(bytes + 4, false);
  applyNews(serverTime);
  // The server carries out a FakeInput at once, so the event it makes is the next one recorded.
  bool own = false;
  if (!ownInput_.empty()) {
    own = ownInput_.front().type == type && ownInput_.front().detail == detail;
    if (own)
      ownInput_.pop_front();
    else
      ownInput_.clear();
  }
  InputEvent event;
  if (type == KeyPress || type == KeyRelease) {
    // Our own keys change the keyboard's state too.
    event = keys_->keyEvent(type == KeyPress, detail);
  } else {
    event.kind = type == ButtonPress ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
    event.button = detail;
  }
  if (own || saved_) return;
  event.time = serverTime - startTime_;
  sink_->push_back(std::move(event));
}

X11InputRecording::X11InputRecording(X11Connection& own, std::string displayName)
    : own_(own), displayName_(std::move(displayName)) {}

X11InputRecording::~X11InputRecording() { stop(); }

bool X11InputRecording::start(InputListener& listener, std::string& problem) {
  stop();
  session_ = Session::open(displayName_, own_, problem);
  if (!session_) return false;
  listener_ = &listener;
  AddEventSource(*this);
  return true;
}

void X11InputRecording::stop() {
  if (!session_) return;
  RemoveEventSource(*this);
  session_.reset();
  listener_ = nullptr;
}

int X11InputRecording::eventDescriptor() const { return session_ ? session_->descriptor() : -1; }

void X11InputRecording::serveEvents() {
  if (!session_) return;
  std::deque<Recorded> arrived;
  session_->read(arrived);
  // The listener may stop the recording at any of them.
  for (const Recorded& item : arrived) {
    if (!session_) break;
    if (const auto* event = std::get_if<InputEvent>(&item))
      listener_->inputEvent(*event);
    else
      listener_->inputPaused(std::get<bool>(item));
  }
}

}  // namespace tw::port::x11
