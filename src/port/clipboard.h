#pragma once
// The desktop's clipboard, as text.

#include <optional>
#include <string>

namespace tw::port {

class Clipboard {
 public:
  virtual ~Clipboard() = default;

  // UTF-8 text on the clipboard; nullopt when it holds no text.
  virtual std::optional<std::string> text() = 0;
  virtual bool setText(const std::string& text) = 0;
};

}  // namespace tw::port
