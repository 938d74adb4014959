#pragma once
// One desktop: the services the command library drives, handed out by the backend that runs them.
//
// Services that need a display (windows, keyboard, mouse, toggle keys, clipboard, bell, terminal text, program
// messages, input recording) exist on every
// desktop; on one without a display each of their calls throws ServiceUnavailable with the reason, so a
// command reports a clear script error. Check hasDisplay() to leave them alone instead.

#include <memory>
#include <string>

#include "port/clipboard.h"
#include "port/conversations.h"
#include "port/file_use.h"
#include "port/input_recording.h"
#include "port/keyboard.h"
#include "port/mouse.h"
#include "port/processes.h"
#include "port/program_messages.h"
#include "port/registry.h"
#include "port/session.h"
#include "port/sound.h"
#include "port/system_info.h"
#include "port/terminal_text.h"
#include "port/toggle_keys.h"
#include "port/unavailable.h"
#include "port/windows.h"

namespace tw::port {

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual bool hasDisplay() const = 0;
  // Why there is no display ("DISPLAY is not set", "cannot open display :7"); empty when there is one.
  virtual std::string displayProblem() const = 0;

  virtual WindowService& windows() = 0;
  virtual KeyboardInjector& keyboard() = 0;
  virtual MouseInjector& mouse() = 0;
  virtual ToggleKeys& toggleKeys() = 0;
  virtual Clipboard& clipboard() = 0;
  virtual Bell& bell() = 0;
  virtual TerminalText& terminalText() = 0;
  // Texts handed to the windows of programs that accept them (docs/program-messages.md).
  virtual ProgramMessages& programMessages() = 0;
  // Recording what the user types and clicks anywhere on the desktop.
  virtual InputRecording& inputRecording() = 0;

  virtual MediaPlayer& media() = 0;
  virtual ProcessLauncher& processes() = 0;
  virtual ProgramRunner& programRunner() = 0;
  virtual SessionControl& session() = 0;
  virtual SystemInfo& systemInfo() = 0;
  // The user's settings store (the registry of the Windows design).
  virtual RegistryStore& registry() = 0;
  // Conversations with other programs; the process joins the bus when the program asks (join()).
  virtual ConversationBus& conversations() = 0;
  // Whether files are in use by other programs.
  virtual FileUse& fileUse() = 0;
};

// The desktop this program runs on: the X11 desktop named by DISPLAY when that display opens, otherwise one
// without a display whose other services (processes, media, session, system information, settings store) still
// work.
std::unique_ptr<Desktop> openDesktop();

}  // namespace tw::port
