#pragma once
// Knowing when the programs that received key events have read them.
//
// A program reads the keyboard mapping again when it reads the notice that the mapping changed, and that
// notice can reach it in the same read as key presses sent before the change. So a lent key may take a new
// character only once the program that got its earlier presses has handled them; the server having the
// events is not enough. Three ways to know, best first:
//  - the program answers _NET_WM_PING: it answers a ping only after every event queued before it;
//  - the program runs on this machine: every thread of it is asleep with our events already delivered;
//  - otherwise a quiet time after the last key.

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tw::port::x11 {

class X11Connection;

class X11KeyReaders {
 public:
  using Clock = std::chrono::steady_clock;

  explicit X11KeyReaders(X11Connection& connection);

  // Notes the program whose window has the keyboard focus now as one that gets keys.
  void noteFocus();
  bool empty() const { return readers_.empty(); }
  enum class Outcome { Read, TimedOut, Ended };
  // Which threads of a program on this machine must sleep for it to count as idle.
  enum class Threads { All, Main };
  // Waits until every noted program has read the key events sent before this call, then forgets them.
  // `hook` runs every few milliseconds and ends the wait when it answers true.
  Outcome waitUntilRead(Clock::time_point deadline, Clock::time_point lastKey, const std::function<bool()>& hook);

  // Watches the root window's children (new windows, pings' answers) while at least one caller wants it.
  void watchRoot(bool on);
  // The last new top-level window made by the program that made `sibling`, among the events the watch
  // brought in; 0 when none.
  Window windowCreatedBy(Window sibling);
  // Waits until the program that made `window` has done what the events it read made it do: when it runs on
  // this machine, until its main thread sleeps across round trips; otherwise it returns at once.
  Outcome waitUntilIdle(Window window, Clock::time_point deadline, const std::function<bool()>& hook);
  // Waits until the keyboard focus has left `from` for another window.
  Outcome waitForFocusAway(Window from, Clock::time_point deadline, const std::function<bool()>& hook);
 private:
  enum class Way { Ping, IdleProcess, QuietTime };
  struct Reader {
    Window window = 0;  // the program's top-level window
    Way way = Way::QuietTime;
    int pid = 0;  // when the program runs on this machine
  };
  Reader readerFor(Window focus);
  Outcome ping(Window window, Clock::time_point deadline, const std::function<bool()>& hook);
  Outcome waitForIdleProcess(int pid, Threads threads, Clock::time_point deadline, const std::function<bool()>& hook);
  Outcome waitQuietly(Clock::time_point until, Clock::time_point deadline, const std::function<bool()>& hook);
  // Waits a few milliseconds at most, or less until `until`; false when the hook ends the wait.
  bool pause(Clock::time_point until, const std::function<bool()>& hook);

  X11Connection& x_;
  std::vector<Reader> readers_;
  std::map<Window, Reader> known_;  // what each window's program offers, asked once per window
  std::optional<std::string> host_;
  int watchers_ = 0;
  long lastStamp_ = 0;
};

}  // namespace tw::port::x11
