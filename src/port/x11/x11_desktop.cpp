#include "port/x11/x11_desktop.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include "port/conversation_directory.h"
#include "port/system/system_services.h"
#include "port/system/window_terminal_text.h"
#include "port/x11/x11_bell.h"
#include "port/x11/x11_clipboard.h"
#include "port/x11/x11_connection.h"
#include "port/x11/x11_input_recording.h"
#include "port/x11/x11_keyboard.h"
#include "port/x11/x11_pointer.h"
#include "port/x11/x11_program_messages.h"
#include "port/x11/x11_toggle_keys.h"
#include "port/x11/x11_windows.h"

namespace tw::port::x11 {

struct X11Desktop::Parts {
  Parts(std::unique_ptr<X11Connection> x, std::unique_ptr<X11Clipboard> board, const std::string& displayName)
      : connection(std::move(x)),
        clipboard(std::move(board)),
        windows(*connection),
        keyboard(*connection),
        pointer(*connection),
        toggles(*connection),
        bell(*connection),
        terminalText(windows, system::StandardTerminalReaders()),
        programMessages(displayName),
        recording(*connection, displayName) {}

  std::unique_ptr<X11Connection> connection;
  std::unique_ptr<X11Clipboard> clipboard;
  X11Windows windows;
  X11Keyboard keyboard;
  X11Pointer pointer;
  X11ToggleKeys toggles;
  X11Bell bell;
  system::SystemServices system;
  system::WindowTerminalText terminalText;
  X11ProgramMessages programMessages;
  X11InputRecording recording;
};

std::unique_ptr<X11Desktop> X11Desktop::open(const std::string& displayName, std::string& problem) {
  auto connection = X11Connection::open(displayName);
  if (!connection) {
    problem = "cannot open display " + displayName;
    return nullptr;
  }
  Display* display = connection->display();
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    problem = "display " + displayName + " has no XTEST extension for synthetic input";
    return nullptr;
  }
  int opcode = 0;
  major = XkbMajorVersion;
  minor = XkbMinorVersion;
  if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) {
    problem = "display " + displayName + " has no X Keyboard Extension";
    return nullptr;
  }
  auto clipboard = X11Clipboard::open(displayName);
  if (!clipboard) {
    problem = "cannot open display " + displayName;
    return nullptr;
  }
  problem.clear();
  return std::unique_ptr<X11Desktop>(
      new X11Desktop(std::make_unique<Parts>(std::move(connection), std::move(clipboard), displayName)));
}

X11Desktop::X11Desktop(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {
  // The captions of the program's own windows are topics too.
  parts_->system.conversations.setCaptionSource(
      [this] { return WindowCaptionsOf(parts_->windows, parts_->system.systemInfo.processId()); });
}
X11Desktop::~X11Desktop() = default;

WindowService& X11Desktop::windows() { return parts_->windows; }
KeyboardInjector& X11Desktop::keyboard() { return parts_->keyboard; }
MouseInjector& X11Desktop::mouse() { return parts_->pointer; }
ToggleKeys& X11Desktop::toggleKeys() { return parts_->toggles; }
Clipboard& X11Desktop::clipboard() { return *parts_->clipboard; }
Bell& X11Desktop::bell() { return parts_->bell; }
TerminalText& X11Desktop::terminalText() { return parts_->terminalText; }
ProgramMessages& X11Desktop::programMessages() { return parts_->programMessages; }
InputRecording& X11Desktop::inputRecording() { return parts_->recording; }
MediaPlayer& X11Desktop::media() { return parts_->system.media; }
ProcessLauncher& X11Desktop::processes() { return parts_->system.processes; }
ProgramRunner& X11Desktop::programRunner() { return parts_->system.programRunner; }
SessionControl& X11Desktop::session() { return parts_->system.session; }
ConversationBus& X11Desktop::conversations() { return parts_->system.conversations; }
SystemInfo& X11Desktop::systemInfo() { return parts_->system.systemInfo; }
RegistryStore& X11Desktop::registry() { return parts_->system.registry; }
FileUse& X11Desktop::fileUse() { return parts_->system.fileUse; }

}  // namespace tw::port::x11
