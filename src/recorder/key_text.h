#pragma once
// Key events turned into the key-string language that send plays back: characters as they are typed, "~", "^"
// and "@" before a key typed under Shift, Ctrl and Alt, named keys in braces, and a line break after every 70
// or so characters so that each line fits one SEND command.

#include <cstddef>
#include <string>

#include "port/input_recording.h"

namespace tw {

class KeyTextWriter {
 public:
  // Adds what one event typed. Key releases, buttons and keys that send cannot play (Super, media keys, lock
  // keys, whose effect shows in the characters) add nothing.
  void Add(const port::InputEvent& event);
  // The text so far; lines end with CR LF.
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::size_t lineStart_ = 0;  // length of the text at the previous line break
  // A modifier key pressed under Ctrl or Shift writes "^" or "~"; it is kept for the next key typed while that
  // modifier is still held, so that it never ends a line or acts on a key typed after the release.
  std::string pendingPrefix_;
};

}  // namespace tw
