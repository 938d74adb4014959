#pragma once
// The command assistant's pages and what "&Next >>" does on each, without any widget: the form shows the page,
// carries out the picking steps the flow asks for and hands their results back; the flow writes the command.

#include <optional>
#include <string>

#include "editor/assistant_commands.h"
#include "port/windows.h"
#include "recorder/window_finder.h"

namespace tw::editor {

enum class AssistantMode { TextLocator = 0, FocusFinder = 1, MouseClick = 2 };

enum class AssistantPage { WindowFinder, DosFormat, MouseCommand, Confirm, FindWhat };

// What the form does after "&Next >>".
enum class AssistantStep {
  Stay,             // nothing happens
  ShowPage,         // show Page()
  PickChildWindow,  // the overlay's FindWindowRect, then ChildWindowPicked()
  PickPoint,        // the overlay's LocateClickPosition (in PointWindow()), then PointPicked()
  CaptureScreen,    // the capture overlay over the picked terminal, then ScreenCaptured()
  NoApplication,    // tell "Cannot Find Application.", then show Page()
  Done,             // the command is written: the assistant closes
};

// The window picked with the pointer.
struct PickedWindow {
  std::string title;
  std::string windowClass;
  port::WindowId handle = port::kNoWindow;
  bool terminal = false;  // a terminal whose screen can be read
};

class AssistantFlow {
 public:
  explicit AssistantFlow(AssistantMode mode);

  AssistantMode Mode() const { return mode_; }
  AssistantPage Page() const { return page_; }

  void WindowPicked(const PickedWindow& window) { picked_ = window; }
  void ForgetWindow() { picked_ = {}; }
  const PickedWindow& Picked() const { return picked_; }

  void ChooseMouseCommand(MouseCommand command) { mouseCommand_ = command; }
  // Text on a terminal's screen instead of in a program's window.
  void LookOnTerminal(bool terminal) { onTerminal_ = terminal; }
  // GRAB instead of WAITDOS.
  void FormatAsGrab(bool grab) { grab_ = grab; }

  AssistantStep Next();

  // Results of the picking steps; nothing when the user pressed Esc. Each tells what the form does next.
  AssistantStep ChildWindowPicked(const std::optional<TWindowInfo>& window);
  AssistantStep PointPicked(const std::optional<port::Point>& point);
  // An empty text when nothing was captured (Esc, or the screen could not be read).
  AssistantStep ScreenCaptured(const ScreenCapture& capture);

  // The overlay's prompt for PickPoint, and the window the point is taken in (kNoWindow: on the screen).
  std::string PointPrompt() const;
  port::WindowId PointWindow() const;

  // The text the confirm page shows.
  const std::string& Command() const { return command_; }

 private:
  AssistantStep Show(AssistantPage page);
  AssistantStep Confirm(std::string command);

  AssistantMode mode_;
  AssistantPage page_;
  PickedWindow picked_;
  std::optional<MouseCommand> mouseCommand_;
  bool onTerminal_ = false;
  bool grab_ = false;
  ScreenCapture capture_;
  std::string command_;
};

}  // namespace tw::editor
