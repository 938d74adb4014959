#pragma once
// The display-bound services of a desktop that has no display: every call throws ServiceUnavailable.

#include <string>

#include "port/clipboard.h"
#include "port/input_recording.h"
#include "port/keyboard.h"
#include "port/mouse.h"
#include "port/program_messages.h"
#include "port/sound.h"
#include "port/terminal_text.h"
#include "port/toggle_keys.h"
#include "port/unavailable.h"
#include "port/windows.h"

namespace tw::port {

class UnavailableDisplayServices final : public WindowService,
                                         public KeyboardInjector,
                                         public MouseInjector,
                                         public ToggleKeys,
                                         public Clipboard,
                                         public Bell,
                                         public TerminalText,
                                         public ProgramMessages,
                                         public InputRecording {
 public:
  // `reason` is the whole message, e.g. "no display: DISPLAY is not set".
  explicit UnavailableDisplayServices(std::string reason) : reason_(std::move(reason)) {}

  const std::string& reason() const { return reason_; }

  std::vector<WindowId> topLevelWindows() override { fail(); }
  std::vector<WindowId> descendants(WindowId) override { fail(); }
  WindowId topLevelOf(WindowId) override { fail(); }
  std::string title(WindowId) override { fail(); }
  WindowClass windowClass(WindowId) override { fail(); }
  std::optional<int> processId(WindowId) override { fail(); }
  std::optional<WindowState> state(WindowId) override { fail(); }
  std::optional<Rect> frameRect(WindowId) override { fail(); }
  std::vector<WindowId> windowsAt(const PointQuery&) override { fail(); }
  WindowId activeWindow() override { fail(); }
  WindowId focusWindow() override { fail(); }
  bool sameProgram(WindowId, WindowId) override { fail(); }
  bool exists(WindowId) override { fail(); }
  Size desktopSize() override { fail(); }
  bool setFrameRect(WindowId, const Rect&) override { fail(); }
  bool activate(WindowId) override { fail(); }
  bool close(WindowId) override { fail(); }
  bool minimise(WindowId) override { fail(); }
  bool maximise(WindowId) override { fail(); }
  bool restore(WindowId) override { fail(); }

  bool pressKey(KeySym) override { fail(); }
  bool releaseKey(KeySym) override { fail(); }
  std::optional<KeyStroke> strokeFor(char32_t) override { fail(); }
  bool typeCharacter(char32_t) override { fail(); }
  void prepare(std::u32string_view) override { fail(); }
  // Nothing was typed, so nothing is held or lent: the end of every run may call these.
  void releaseAll() override {}
  bool finish(std::chrono::milliseconds) override { return true; }

  Point position() override { fail(); }
  bool moveTo(Point) override { fail(); }
  bool press(MouseButton) override { fail(); }
  bool release(MouseButton) override { fail(); }

  std::optional<bool> isOn(ToggleKey) override { fail(); }
  bool set(ToggleKey, bool) override { fail(); }

  std::optional<std::string> text() override { fail(); }
  bool setText(const std::string&) override { fail(); }

  bool ring(Alert) override { fail(); }

  std::optional<TerminalScreen> read(WindowId) override { fail(); }

  std::unique_ptr<MessageDelivery> send(const ReceiverQuery&, std::string_view) override { fail(); }

  bool start(InputListener&, std::string&) override { fail(); }
  void stop() override {}
  bool recording() const override { return false; }

 private:
  [[noreturn]] void fail() const { throw ServiceUnavailable(reason_); }
  std::string reason_;
};

}  // namespace tw::port
