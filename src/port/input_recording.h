#pragma once
// Recording the desktop's input as it happens: the key and button events of every program, each key with what it
// typed, for the keystroke recorder. Events arrive while the program serves its event sources
// (port/event_sources.h), on the program's own thread.

#include <cstdint>
#include <string>

#include "port/keys.h"

namespace tw::port {

// Modifiers in effect, held or latched. Lock keys are no modifiers here: their effect shows in what a key types.
struct HeldModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool altGr = false;  // the third level (AltGr) or a switched group
  friend bool operator==(const HeldModifiers&, const HeldModifiers&) = default;
};

struct InputEvent {
  enum class Kind : std::uint8_t { KeyDown, KeyUp, ButtonDown, ButtonUp };
  Kind kind = Kind::KeyDown;
  std::uint32_t time = 0;        // milliseconds since the recording started
  KeySym key = keys::kNone;      // what the key gives under the modifiers in effect: 'A' for Shift+a, F5, KP_End
  KeySym baseKey = keys::kNone;  // the key's own symbol, without modifiers: 'a', F5, KP_1
  // The printable text the key typed, UTF-8: its character, or what a dead key before it combined into. Empty
  // for keys that type no printable character (Enter, F5, Shift) and for a dead key that waits for the next one.
  std::string text;
  HeldModifiers held;            // in effect before the event
  unsigned button = 0;           // buttons: 1 left, 2 middle, 3 right, 4 and 5 the wheel
  friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

class InputListener {
 public:
  virtual ~InputListener() = default;
  virtual void inputEvent(const InputEvent& event) = 0;
  // The desktop stopped reporting input (true) because the screen is saved or locked, so that nothing typed into
  // a screen locker is recorded; false when it reports again.
  virtual void inputPaused(bool paused) = 0;
};

class InputRecording {
 public:
  virtual ~InputRecording() = default;
  // Starts reporting every key and button event of the desktop to `listener`. Input that this program makes
  // itself through the same desktop (send, mouse commands) is left out. False, with the reason in `problem`,
  // when the desktop cannot record. A recording already running is stopped first.
  virtual bool start(InputListener& listener, std::string& problem) = 0;
  // Nothing is reported after it; harmless when not recording. A listener may call it while it is told of an
  // event.
  virtual void stop() = 0;
  virtual bool recording() const = 0;
};

}  // namespace tw::port
