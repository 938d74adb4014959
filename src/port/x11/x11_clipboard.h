#pragma once
// The CLIPBOARD selection of an X display, as text.
//
// On X11 the clipboard holds no data: its owner hands the text to each program that asks. So this clipboard
// keeps a connection of its own, served by a thread of its own, which answers those requests for as long as
// this object lives, whatever the rest of the program is doing. When it ends while it still owns the
// clipboard, it hands the text to the desktop's clipboard manager, if one runs, so that it stays available.

#include <memory>
#include <string>

#include "port/clipboard.h"

namespace tw::port::x11 {

class X11Clipboard final : public Clipboard {
 public:
  // nullptr when the display cannot be opened.
  static std::unique_ptr<X11Clipboard> open(const std::string& displayName);
  ~X11Clipboard() override;
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  // Asks the clipboard's owner for its text; waits a few seconds at most for an owner that does not answer.
  std::optional<std::string> text() override;
  bool setText(const std::string& text) override;

 private:
  struct Worker;
  explicit X11Clipboard(std::unique_ptr<Worker> worker);
  std::unique_ptr<Worker> worker_;
};

}  // namespace tw::port::x11
