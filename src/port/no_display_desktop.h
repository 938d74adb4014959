#pragma once
// A desktop without a display: the display-bound services throw ServiceUnavailable, the others work.

#include <string>

#include "port/desktop.h"
#include "port/system/system_services.h"
#include "port/unavailable_services.h"

namespace tw::port {

class NoDisplayDesktop final : public Desktop {
 public:
  // `reason` completes "no display: ...", e.g. "DISPLAY is not set".
  explicit NoDisplayDesktop(const std::string& reason) : unavailable_("no display: " + reason) {}

  bool hasDisplay() const override { return false; }
  std::string displayProblem() const override { return unavailable_.reason(); }
  WindowService& windows() override { return unavailable_; }
  KeyboardInjector& keyboard() override { return unavailable_; }
  MouseInjector& mouse() override { return unavailable_; }
  ToggleKeys& toggleKeys() override { return unavailable_; }
  Clipboard& clipboard() override { return unavailable_; }
  Bell& bell() override { return unavailable_; }
  TerminalText& terminalText() override { return unavailable_; }
  ProgramMessages& programMessages() override { return unavailable_; }
  InputRecording& inputRecording() override { return unavailable_; }
  MediaPlayer& media() override { return system_.media; }
  ProcessLauncher& processes() override { return system_.processes; }
  ProgramRunner& programRunner() override { return system_.programRunner; }
  SessionControl& session() override { return system_.session; }
  SystemInfo& systemInfo() override { return system_.systemInfo; }
  RegistryStore& registry() override { return system_.registry; }
  ConversationBus& conversations() override { return system_.conversations; }
  FileUse& fileUse() override { return system_.fileUse; }

 private:
  UnavailableDisplayServices unavailable_;
  system::SystemServices system_;
};

}  // namespace tw::port
