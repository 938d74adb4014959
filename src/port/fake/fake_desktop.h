#pragma once
// An in-memory desktop for unit tests: scriptable windows, recorded input and actions, settable state.
//
//   tw::port::fake::FakeDesktop desktop;
//   auto editor = desktop.fakeWindows().add({.title = "notes - Editor"});
//   ... run the code under test against `desktop` ...
//   EXPECT_EQ(desktop.log(), (ActionLog{"activate notes - Editor", "type h", "type i"}));

#include <memory>
#include <string>

#include "port/desktop.h"
#include "port/fake/fake_conversations.h"
#include "port/fake/fake_input.h"
#include "port/fake/fake_input_recording.h"
#include "port/fake/fake_program_messages.h"
#include "port/fake/fake_services.h"
#include "port/fake/fake_windows.h"
#include "port/unavailable_services.h"

namespace tw::port::fake {

class FakeDesktop final : public Desktop {
 public:
  FakeDesktop();

  // Every action of every service, in order.
  const ActionLog& log() const { return log_; }
  void clearLog() { log_.clear(); }

  // Without a display the display-bound services throw ServiceUnavailable("no display: " + reason).
  void removeDisplay(const std::string& reason);

  FakeWindows& fakeWindows() { return windows_; }
  FakeKeyboard& fakeKeyboard() { return keyboard_; }
  FakeMouse& fakeMouse() { return mouse_; }
  FakeToggleKeys& fakeToggleKeys() { return toggles_; }
  FakeClipboard& fakeClipboard() { return clipboard_; }
  FakeMediaPlayer& fakeMedia() { return media_; }
  FakeProcessLauncher& fakeProcesses() { return processes_; }
  FakeProgramRunner& fakeProgramRunner() { return programRunner_; }
  FakeSessionControl& fakeSession() { return session_; }
  FakeSystemInfo& fakeSystemInfo() { return systemInfo_; }
  FakeTerminalText& fakeTerminalText() { return terminalText_; }
  FakeProgramMessages& fakeProgramMessages() { return programMessages_; }
  FakeInputRecording& fakeInputRecording() { return inputRecording_; }
  // Off every network until useNetwork(); the captions of windows whose process is fakeSystemInfo().pid are topics.
  FakeConversationBus& fakeConversations() { return conversations_; }

  bool hasDisplay() const override { return !unavailable_; }
  std::string displayProblem() const override { return unavailable_ ? unavailable_->reason() : std::string(); }
  WindowService& windows() override;
  KeyboardInjector& keyboard() override;
  MouseInjector& mouse() override;
  ToggleKeys& toggleKeys() override;
  Clipboard& clipboard() override;
  Bell& bell() override;
  TerminalText& terminalText() override;
  ProgramMessages& programMessages() override;
  InputRecording& inputRecording() override;
  MediaPlayer& media() override { return media_; }
  ProcessLauncher& processes() override { return processes_; }
  ProgramRunner& programRunner() override { return programRunner_; }
  SessionControl& session() override { return session_; }
  SystemInfo& systemInfo() override { return systemInfo_; }
  // The store a test gives with useRegistry; without one every call throws ServiceUnavailable.
  RegistryStore& registry() override;
  void useRegistry(RegistryStore& store) { registry_ = &store; }
  ConversationBus& conversations() override { return conversations_; }
  // The probe a test gives with useFileUse (the system's own, on real files); without one every call throws
  // ServiceUnavailable.
  FileUse& fileUse() override;
  void useFileUse(FileUse& probe) { fileUse_ = &probe; }

 private:
  ActionLog log_;
  FakeWindows windows_{log_};
  FakeKeyboard keyboard_{log_};
  FakeMouse mouse_{log_};
  FakeToggleKeys toggles_{log_};
  FakeClipboard clipboard_{log_};
  FakeBell bell_{log_};
  FakeMediaPlayer media_{log_};
  FakeProcessLauncher processes_{log_};
  FakeProgramRunner programRunner_{log_};
  FakeSessionControl session_{log_};
  FakeSystemInfo systemInfo_;
  FakeTerminalText terminalText_;
  FakeProgramMessages programMessages_{log_, windows_};
  FakeInputRecording inputRecording_;
  FakeConversationBus conversations_;
  std::unique_ptr<UnavailableDisplayServices> unavailable_;
  RegistryStore* registry_ = nullptr;
  FileUse* fileUse_ = nullptr;
};

}  // namespace tw::port::fake
