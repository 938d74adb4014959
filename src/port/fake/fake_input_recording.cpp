#include "port/fake/fake_input_recording.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

#include "port/fake/fake_input.h"
#include "text/utf8.h"

namespace tw::port::fake {

namespace {

constexpr KeySym kShiftRight = 0xffe2;
constexpr KeySym kControlRight = 0xffe4;
constexpr KeySym kAltRight = 0xffea;
constexpr KeySym kLevelThreeShift = 0xfe03;

}  // namespace

FakeInputRecording::FakeInputRecording() : eventFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FakeInputRecording::~FakeInputRecording() {
  stop();
  if (eventFd_ >= 0) ::close(eventFd_);
}

bool FakeInputRecording::start(InputListener& listener, std::string& problem) {
  stop();
  if (!startProblem_.empty()) {
    problem = std::exchange(startProblem_, {});
    return false;
  }
  problem.clear();
  listener_ = &listener;
  AddEventSource(*this);
  return true;
}

void FakeInputRecording::stop() {
  if (!listener_) return;
  listener_ = nullptr;
  queue_.clear();
  RemoveEventSource(*this);
}

void FakeInputRecording::enqueue(Queued item) {
  // As on a real desktop, input made while nobody records is gone.
  if (!listener_) return;
  queue_.push_back(std::move(item));
  const std::uint64_t one = 1;
  if (eventFd_ >= 0) [[maybe_unused]] auto written = ::write(eventFd_, &one, sizeof one);
}

void FakeInputRecording::serveEvents() {
  std::uint64_t count = 0;
  if (eventFd_ >= 0) [[maybe_unused]] auto read = ::read(eventFd_, &count, sizeof count);
  // The listener may stop the recording at any event; what is left is then gone.
  while (listener_ && !queue_.empty()) {
    const Queued item = std::move(queue_.front());
    queue_.pop_front();
    if (const auto* event = std::get_if<InputEvent>(&item))
      listener_->inputEvent(*event);
    else
      listener_->inputPaused(std::get<bool>(item));
  }
}

void FakeInputRecording::queue(InputEvent event) { enqueue(std::move(event)); }

InputEvent FakeInputRecording::keyEvent(InputEvent::Kind kind, KeySym key) const {
  const auto held = [&](KeySym a, KeySym b) { return down_.count(a) != 0 || down_.count(b) != 0; };
  InputEvent event;
  event.kind = kind;
  event.held = {held(keys::kShift, kShiftRight), held(keys::kControl, kControlRight), held(keys::kAlt, kAltRight),
                down_.count(kLevelThreeShift) != 0};
  event.baseKey = key;
  event.key = key;
  if (const auto c = UsKeyboardCharacter(key, event.held.shift)) {
    event.key = keysymForCharacter(*c);
    if (kind == InputEvent::Kind::KeyDown) event.text = text::Utf8(*c);
  }
  return event;
}

void FakeInputRecording::press(KeySym key) {
  InputEvent event = keyEvent(InputEvent::Kind::KeyDown, key);
  event.time = clock_ += 10;
  down_.insert(key);
  enqueue(std::move(event));
}

void FakeInputRecording::release(KeySym key) {
  down_.erase(key);
  InputEvent event = keyEvent(InputEvent::Kind::KeyUp, key);
  event.time = clock_ += 10;
  enqueue(std::move(event));
}

void FakeInputRecording::tap(KeySym key) {
  press(key);
  release(key);
}

void FakeInputRecording::type(std::u32string_view text) {
  for (const char32_t c : text) {
    for (const bool shift : {false, true}) {
      KeySym key = keys::kNone;
      for (KeySym candidate = 0x20; candidate < 0x7f && key == keys::kNone; ++candidate)
        if (UsKeyboardCharacter(candidate, shift) == c) key = candidate;
      if (key == keys::kNone) continue;
      if (shift) press(keys::kShift);
      tap(key);
      if (shift) release(keys::kShift);
      break;
    }
  }
}

void FakeInputRecording::click(unsigned button) {
  for (const auto kind : {InputEvent::Kind::ButtonDown, InputEvent::Kind::ButtonUp}) {
    InputEvent event;
    event.kind = kind;
    event.button = button;
    event.time = clock_ += 10;
    enqueue(std::move(event));
  }
}

void FakeInputRecording::pause(bool paused) { enqueue(paused); }

}  // namespace tw::port::fake
