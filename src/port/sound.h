#pragma once
// Sounds: the desktop's alert sounds, and playing a media file.

#include <string>

namespace tw::port {

// The alerts a program can sound; a desktop without distinct sounds rings the same bell for each.
enum class Alert { Default, Information, Exclamation, Error, Question };

class Bell {
 public:
  virtual ~Bell() = default;
  virtual bool ring(Alert alert) = 0;
};

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;
  // Starts playing the file and returns without waiting for the end; true once playback has really started.
  // A new call stops what an earlier one still plays.
  virtual bool play(const std::string& path) = 0;
  virtual void stop() = 0;
};

}  // namespace tw::port
