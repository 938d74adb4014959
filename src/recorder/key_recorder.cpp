#include "recorder/key_recorder.h"

#include <exception>

namespace tw {

TKeyRecorder::TKeyRecorder(port::Desktop& desktop, std::size_t capacity) : desktop_(desktop), capacity_(capacity) {}

TKeyRecorder::~TKeyRecorder() { StopRecording(); }

bool TKeyRecorder::StartRecording() {
  StopRecording();
  writer_ = KeyTextWriter();
  count_ = 0;
  paused_ = false;
  std::string problem;
  try {
    recording_ = desktop_.inputRecording().start(*this, problem);
  } catch (const std::exception& failure) {  // no display
    problem = failure.what();
  }
  if (!recording_ && OnError) OnError("Cannot set Hook\n" + problem);
  return recording_;
}

void TKeyRecorder::StopRecording() {
  if (!recording_) return;
  recording_ = false;
  desktop_.inputRecording().stop();
}

void TKeyRecorder::inputEvent(const port::InputEvent& event) {
  if (!recording_ || paused_) return;
  writer_.Add(event);
  if (count_ < capacity_) {
    ++count_;
    return;
  }
  desktop_.bell().ring(port::Alert::Default);
  StopRecording();
  if (OnWarning) OnWarning("Maximum recording capacity is reached!");
}

}  // namespace tw
