#pragma once
// The keystroke recorder: while it records, every key typed anywhere on the desktop becomes key-string text
// (key_text.h); button presses are counted with the keys. After 100,000 events the recording stops by itself.

#include <cstddef>
#include <functional>
#include <string>

#include "port/desktop.h"
#include "recorder/key_text.h"

namespace tw {

class TKeyRecorder final : public port::InputListener {
 public:
  static constexpr std::size_t kCapacity = 100000;

  explicit TKeyRecorder(port::Desktop& desktop, std::size_t capacity = kCapacity);
  ~TKeyRecorder() override;
  TKeyRecorder(const TKeyRecorder&) = delete;
  TKeyRecorder& operator=(const TKeyRecorder&) = delete;

  // Messages for the user: OnError("Cannot set Hook" and the reason) when recording cannot start,
  // OnWarning("Maximum recording capacity is reached!") when it stopped for that.
  std::function<void(const std::string&)> OnError;
  std::function<void(const std::string&)> OnWarning;

  // Starts a new recording with empty text; false when the desktop cannot record (OnError has been told).
  bool StartRecording();
  // Harmless when not recording; the text stays.
  void StopRecording();
  bool Recording() const { return recording_; }
  // While the screen is saved or locked nothing is recorded.
  bool Paused() const { return paused_; }
  const std::string& RecordedText() const { return writer_.Text(); }
  // Events taken since the start: keys and buttons, presses and releases.
  std::size_t EventCount() const { return count_; }

  void inputEvent(const port::InputEvent& event) override;
  void inputPaused(bool paused) override { paused_ = paused; }

 private:
  port::Desktop& desktop_;
  std::size_t capacity_;
  bool recording_ = false;
  bool paused_ = false;
  std::size_t count_ = 0;
  KeyTextWriter writer_;
};

}  // namespace tw
