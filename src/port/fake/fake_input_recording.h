#pragma once
// Input recording for unit tests: the test scripts the desktop's input, which reaches the listener when the
// program serves its event sources, as on a real desktop. Input scripted while nothing records is not kept
// (the keys pressed still count as held).
//
//   FakeDesktop desktop;
//   recorder.start();                                  // the code under test calls inputRecording().start()
//   desktop.fakeInputRecording().type(U"Hi");          // Shift, h, Shift up, i, with their modifiers and text
//   port::ServeEventSources();                         // the events arrive

#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <variant>

#include "port/event_sources.h"
#include "port/input_recording.h"

namespace tw::port::fake {

class FakeInputRecording final : public InputRecording, public EventSource {
 public:
  FakeInputRecording();
  ~FakeInputRecording() override;
  FakeInputRecording(const FakeInputRecording&) = delete;
  FakeInputRecording& operator=(const FakeInputRecording&) = delete;

  // The next start() fails with this problem.
  void failNextStart(std::string problem) { startProblem_ = std::move(problem); }
  // Queues an event exactly as given.
  void queue(InputEvent event);
  // Queues a key event of the fake's US keyboard. The modifiers held follow from the keys pressed before it,
  // and Shift gives the capitals and the shifted punctuation, as on a real keyboard.
  void press(KeySym key);
  void release(KeySym key);
  void tap(KeySym key);
  // Taps the keys that type each character, with Shift where the US keyboard needs it.
  void type(std::u32string_view text);
  void click(unsigned button);
  // Queues a pause or its end, as a screen saver starting or ending would.
  void pause(bool paused);
  bool start(InputListener& listener, std::string& problem) override;
  void stop() override;
  bool recording() const override { return listener_ != nullptr; }

  int eventDescriptor() const override { return listener_ ? eventFd_ : -1; }
  void serveEvents() override;

 private:
  using Queued = std::variant<InputEvent, bool>;
  void enqueue(Queued item);
  InputEvent keyEvent(InputEvent::Kind kind, KeySym key) const;

  InputListener* listener_ = nullptr;
  std::string startProblem_;
  std::deque<Queued> queue_;
  std::set<KeySym> down_;
  std::uint32_t clock_ = 0;
  int eventFd_ = -1;
};

}  // namespace tw::port::fake
