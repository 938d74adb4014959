#include "runtime/prompt_window_logic.h"

#include <algorithm>

namespace tw {

std::size_t ConsoleLines::Add(std::string_view text) {
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  std::size_t dropped = 0;
  while (lines_.size() > kMaxLines) {
    lines_.pop_front();
    ++dropped;
  }
  return dropped;
}

PromptWindowSize FitPrompt(int memoWidth, int memoHeight, int widestLine, int textHeight) {
  PromptWindowSize size;
  const int marginWidth = PromptWindowSize::kDesignedWidth - memoWidth;
  const int marginHeight = PromptWindowSize::kDesignedHeight - memoHeight;
  if (widestLine > memoWidth) size.width = widestLine + marginWidth + 10;
  if (textHeight > memoHeight) size.height = textHeight + marginHeight + 5;
  size.width = std::clamp(size.width, PromptWindowSize::kMinWidth, PromptWindowSize::kMaxWidth);
  size.height = std::clamp(size.height, PromptWindowSize::kMinHeight, PromptWindowSize::kMaxHeight);
  return size;
}

std::string VersionText(int major, int minor, int release, int build) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release) + "." +
         std::to_string(build);
}

}  // namespace tw
