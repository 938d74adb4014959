#pragma once
// What the prompt and console window decide, apart from drawing: the countdown of a timed prompt, the
// lines the console keeps, and the window size that fits a prompt text. The Qt window only shows them.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace tw {

// The countdown of a timed prompt: one tick a second; the prompt confirms itself when it reaches 0.
class PromptCountdown {
 public:
  // A negative count would never reach 0 and so never time out: it counts as 0.
  explicit PromptCountdown(int seconds) : seconds_(seconds > 0 ? seconds : 0) {}
  int Seconds() const { return seconds_; }
  // One second has passed: true when the prompt confirms itself now.
  bool Tick() {
    if (seconds_ > 0) --seconds_;
    return seconds_ == 0;
  }
  // "Time: 5 sec(s)"
  std::string Label() const { return "Time: " + std::to_string(seconds_) + " sec(s)"; }

 private:
  int seconds_;
};

// The lines of the console window: at most kMaxLines, the oldest dropped first.
class ConsoleLines {
 public:
  static constexpr std::size_t kMaxLines = 201;
  // Appends text as one line (or several, when it holds line breaks); the number of old lines dropped.
  std::size_t Add(std::string_view text);
  void Clear() { lines_.clear(); }
  const std::deque<std::string>& Lines() const { return lines_; }

 private:
  std::deque<std::string> lines_;
};

// The size of the prompt window's client area, in pixels. The prompt box has a designed size inside the
// designed window; a text that does not fit widens or heightens the window, within the window's limits.
struct PromptWindowSize {
  static constexpr int kDesignedWidth = 392;
  static constexpr int kDesignedHeight = 173;
  // The window's limits (400 x 200 to 800 x 600 with a frame), as client sizes.
  static constexpr int kMinWidth = 392, kMinHeight = 173;
  static constexpr int kMaxWidth = 792, kMaxHeight = 573;

  int width = kDesignedWidth;
  int height = kDesignedHeight;

  bool operator==(const PromptWindowSize&) const = default;
};

// memoWidth/memoHeight: the prompt box's size in the designed window; widestLine and textHeight: the
// prompt's lines measured in the window's font.
PromptWindowSize FitPrompt(int memoWidth, int memoHeight, int widestLine, int textHeight);

// "3.0.4.124": the four parts of a program version.
std::string VersionText(int major, int minor, int release, int build);

}  // namespace tw
