#pragma once
// Plays media files through a GStreamer playbin pipeline.

#include <memory>
#include <string>

#include "port/sound.h"

namespace tw::port::system {

class GStreamerPlayer final : public MediaPlayer {
 public:
  // Output elements by GStreamer factory name ("fakesink", "pulsesink"); empty: the desktop's default outputs.
  explicit GStreamerPlayer(std::string audioSink = {}, std::string videoSink = {});
  ~GStreamerPlayer() override;
  GStreamerPlayer(const GStreamerPlayer&) = delete;
  GStreamerPlayer& operator=(const GStreamerPlayer&) = delete;

  // Waits until the pipeline has opened and decoded the start of the file (at most a few seconds).
  bool play(const std::string& path) override;
  void stop() override;

 private:
  struct Pipeline;
  std::string audioSink_;
  std::string videoSink_;
  std::unique_ptr<Pipeline> pipeline_;
};

}  // namespace tw::port::system
