#include "port/x11/x11_key_readers.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {
namespace {

// For a program that offers no other way: how long after the last key it is taken to have read it.
constexpr auto kQuietTime = std::chrono::milliseconds(300);
// A program on this machine counts as done once all of its threads were seen asleep this far apart.
constexpr auto kIdleSpan = std::chrono::milliseconds(10);
constexpr auto kStep = std::chrono::milliseconds(5);

// The /proc folder of each thread to look at: every thread of the process, or only its main thread (the
// one that runs a toolkit's event loop).
std::vector<std::filesystem::path> threadFolders(int pid, X11KeyReaders::Threads threads) {
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  if (threads == X11KeyReaders::Threads::Main) {
    std::error_code error;
    if (!std::filesystem::exists(tasks / std::to_string(pid), error)) return {};
    return {tasks / std::to_string(pid)};
  }
  std::vector<std::filesystem::path> folders;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) folders.push_back(task.path());
  return folders;
}

// The state letter of each thread ('S' asleep, 'R' running...); empty when the process is gone.
std::string threadStates(int pid, X11KeyReaders::Threads threads) {
  std::string states;
  for (const auto& task : threadFolders(pid, threads)) {
    std::ifstream stat(task / "stat");
    std::string line;
    std::getline(stat, line);
    // "tid (name) S ...": the name may hold blanks and parentheses, the state follows the last ")".
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) continue;
    states += line[close + 2];
  }
  return states;
}

// How often the threads have slept or been preempted so far; it grows whenever one woke up, however briefly.
long contextSwitches(int pid, X11KeyReaders::Threads threads) {
  long total = 0;
  for (const auto& task : threadFolders(pid, threads)) {
    std::ifstream status(task / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total += std::atol(line.c_str() + line.find(':') + 1);
    }
  }
  return total;
}

bool allAsleep(int pid, X11KeyReaders::Threads threads) {
  const std::string states = threadStates(pid, threads);
  return !states.empty() && std::all_of(states.begin(), states.end(), [](char s) { return s == 'S'; });
}

std::string hostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace

X11KeyReaders::X11KeyReaders(X11Connection& connection) : x_(connection) {}

X11KeyReaders::Reader X11KeyReaders::readerFor(Window focus) {
  Display* display = x_.display();
  // The focus may sit on a window inside the program's top-level window: go up to the one that speaks with
  // window managers (it carries WM_PROTOCOLS or WM_STATE).
  Window window = focus;
  for (Window current = focus;;) {
    if (x_.longs(current, "WM_PROTOCOLS", XA_ATOM) || x_.longs(current, "WM_STATE", x_.atom("WM_STATE"))) {
      window = current;
      break;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == 0 || parent == root) break;
    current = parent;
  }
  if (auto known = known_.find(window); known != known_.end()) return known->second;

  Reader reader{window, Way::QuietTime, 0};
  if (const auto pid = x_.longs(window, "_NET_WM_PID", XA_CARDINAL); pid && !pid->empty()) {
    if (!host_) host_ = hostName();
    const auto machine = x_.bytes(window, "WM_CLIENT_MACHINE");
    const int local = static_cast<int>((*pid)[0]);
    if (machine && !host_->empty() && machine->first == *host_ && !threadStates(local, Threads::All).empty())
      reader.pid = local;
  }
  const auto protocols = x_.longs(window, "WM_PROTOCOLS", XA_ATOM);
  const Atom pingAtom = x_.atom("_NET_WM_PING");
  if (protocols && std::find(protocols->begin(), protocols->end(), pingAtom) != protocols->end())
    reader.way = Way::Ping;
  else if (reader.pid != 0)
    reader.way = Way::IdleProcess;
  known_[window] = reader;
  return reader;
}

void X11KeyReaders::noteFocus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(x_.display(), &focus, &revert);
  // No focus window (None, PointerRoot): nobody to ask, so the quiet time applies.
  const Reader reader = focus == None || focus == PointerRoot ? Reader{} : readerFor(focus);
  for (const Reader& known : readers_)
    if (known.window == reader.window) return;
  readers_.push_back(reader);
}

void X11KeyReaders::watchRoot(bool on) {
  Display* display = x_.display();
  if (on) {
    // Programs answer pings with one mask or the other (Qt with StructureNotify).
    if (watchers_++ == 0) XSelectInput(display, x_.root(), SubstructureNotifyMask | StructureNotifyMask);
    return;
  }
  if (watchers_ == 0 || --watchers_ > 0) return;
  XSelectInput(display, x_.root(), NoEventMask);
  XSync(display, False);
  // Drop what the watch brought in: events about the root window's children, and pings' answers.
  auto aboutRoot = [](Display*, XEvent* event, XPointer arg) -> Bool {
    return event->xany.window == *reinterpret_cast<Window*>(arg) ? True : False;
  };
  Window root = x_.root();
  XEvent dropped;
  while (XCheckIfEvent(display, &dropped, aboutRoot, reinterpret_cast<XPointer>(&root))) {
  }
}

Window X11KeyReaders::windowCreatedBy(Window sibling) {
  struct Match {
    X11Connection* x;
    Window sibling;
  } match{&x_, sibling};
  auto created = [](Display*, XEvent* event, XPointer arg) -> Bool {
    const auto* m = reinterpret_cast<const Match*>(arg);
    return event->type == CreateNotify && event->xcreatewindow.parent == m->x->root() &&
                   m->x->sameClient(event->xcreatewindow.window, m->sibling)
               ? True
               : False;
  };
  XEvent event;
  Window found = 0;
  while (XCheckIfEvent(x_.display(), &event, created, reinterpret_cast<XPointer>(&match)))
    found = event.xcreatewindow.window;
  return found;
}

X11KeyReaders::Outcome X11KeyReaders::waitForFocusAway(Window from, Clock::time_point deadline,
                                                        const std::function<bool()>& hook) {
  while (Clock::now() < deadline) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x_.display(), &focus, &revert);
    if (focus != from && focus != None && focus != PointerRoot) return Outcome::Read;
    if (!pause(std::min(deadline, Clock::now() + kStep), hook)) return Outcome::Ended;
  }
  return Outcome::TimedOut;
}

bool X11KeyReaders::pause(Clock::time_point until, const std::function<bool()>& hook) {
  if (hook && hook()) return false;
  const auto now = Clock::now();
  if (until > now) {
    const auto wait = std::min<Clock::duration>(until - now, kStep);
    pollfd watch{ConnectionNumber(x_.display()), POLLIN, 0};
    ::poll(&watch, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
  }
  return true;
}

X11KeyReaders::Outcome X11KeyReaders::ping(Window window, Clock::time_point deadline,
                                           const std::function<bool()>& hook) {
  Display* display = x_.display();
  const Window root = x_.root();
  // The answer goes to whoever watches the root window's substructure; watch it only meanwhile.
  watchRoot(true);
  // A stamp of our own that no other ping carries, so that a window manager's pings are not taken for ours.
  const long stamp = std::max(static_cast<long>(x_.serverTime()), lastStamp_ + 1);
  lastStamp_ = stamp;
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = window;
  request.xclient.message_type = x_.atom("WM_PROTOCOLS");
  request.xclient.format = 32;
  request.xclient.data.l[0] = static_cast<long>(x_.atom("_NET_WM_PING"));
  request.xclient.data.l[1] = stamp;
  request.xclient.data.l[2] = static_cast<long>(window);
  bool answered = false;
  {
    ErrorTrap trap(display);
    XSendEvent(display, window, False, NoEventMask, &request);
    // A window that is gone has nobody left to read keys.
    answered = trap.failed();
  }
  struct Match {
    Window root, window;
    long stamp;
    Atom ping;
  } match{root, window, stamp, static_cast<Atom>(request.xclient.data.l[0])};
  auto isAnswer = [](Display*, XEvent* event, XPointer arg) -> Bool {
    const auto* m = reinterpret_cast<const Match*>(arg);
    const XClientMessageEvent& reply = event->xclient;
    return event->type == ClientMessage && reply.window == m->root && reply.format == 32 &&
                   static_cast<Atom>(reply.data.l[0]) == m->ping && reply.data.l[1] == m->stamp &&
                   static_cast<Window>(reply.data.l[2]) == m->window
               ? True
               : False;
  };
  bool ended = false;
  while (!answered && !ended && Clock::now() < deadline) {
    XEvent event;
    if (XCheckIfEvent(display, &event, isAnswer, reinterpret_cast<XPointer>(&match))) {
      answered = true;
      break;
    }
    ended = !pause(deadline, hook);
  }
  watchRoot(false);
  if (answered) return Outcome::Read;
  return ended ? Outcome::Ended : Outcome::TimedOut;
}

X11KeyReaders::Outcome X11KeyReaders::waitUntilIdle(Window window, Clock::time_point deadline,
                                                    const std::function<bool()>& hook) {
  const Reader reader = readerFor(window);
  if (reader.pid == 0) return Outcome::Read;
  return waitForIdleProcess(reader.pid, Threads::Main, deadline, hook);
}

X11KeyReaders::Outcome X11KeyReaders::waitForIdleProcess(int pid, Threads threads, Clock::time_point deadline,
                                                         const std::function<bool()>& hook) {
  // Asleep is not enough: a program that meets the mapping notice asks the server for the new mapping and
  // sleeps until the answer comes. So it must stay asleep, without waking even once, across round trips
  // of ours: the server answers requests that reached it before ours no later than ours, which would wake
  // the program.
  bool asleep = false;
  Clock::time_point asleepSince{};
  long switches = -1;
  while (Clock::now() < deadline) {
    if (!allAsleep(pid, threads)) {
      if (threadStates(pid, threads).empty()) return Outcome::Read;  // the program has ended
      asleep = false;
    } else {
      const long now = contextSwitches(pid, threads);
      if (!asleep || now != switches) {
        asleep = true;
        asleepSince = Clock::now();
        switches = now;
      } else if (Clock::now() - asleepSince >= kIdleSpan) {
        return Outcome::Read;
      }
      XSync(x_.display(), False);
      if (!pause(std::min(deadline, Clock::now() + std::chrono::milliseconds(1)), hook)) return Outcome::Ended;
      continue;
    }
    if (!pause(std::min(deadline, Clock::now() + kStep), hook)) return Outcome::Ended;
  }
  return Outcome::TimedOut;
}

X11KeyReaders::Outcome X11KeyReaders::waitQuietly(Clock::time_point until, Clock::time_point deadline,
                                                  const std::function<bool()>& hook) {
  while (Clock::now() < until) {
    if (Clock::now() >= deadline) return Outcome::TimedOut;
    if (!pause(std::min(until, deadline), hook)) return Outcome::Ended;
  }
  return Outcome::Read;
}

X11KeyReaders::Outcome X11KeyReaders::waitUntilRead(Clock::time_point deadline, Clock::time_point lastKey,
                                                    const std::function<bool()>& hook) {
  Display* display = x_.display();
  // After the first round trip the server has handled every key event; after the second it has also
  // written them out to the programs' connections (it does that for every client before it reads on).
  XSync(display, False);
  XSync(display, False);
  Outcome outcome = Outcome::Read;
  for (const Reader& reader : readers_) {
    switch (reader.way) {
      case Way::Ping: outcome = ping(reader.window, deadline, hook); break;
      case Way::IdleProcess: outcome = waitForIdleProcess(reader.pid, Threads::All, deadline, hook); break;
      case Way::QuietTime: outcome = waitQuietly(lastKey + kQuietTime, deadline, hook); break;
    }
    if (outcome != Outcome::Read) break;
  }
  readers_.clear();
  return outcome;
}

}  // namespace tw::port::x11
