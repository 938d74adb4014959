#pragma once
// The desktop of an X display: its windows, keyboard, pointer, toggle keys and bell, plus the system services.

#include <memory>
#include <string>

#include "port/desktop.h"

namespace tw::port::x11 {

class X11Desktop final : public Desktop {
 public:
  // nullptr when the display cannot be used; `problem` then says why ("cannot open display :7").
  static std::unique_ptr<X11Desktop> open(const std::string& displayName, std::string& problem);
  ~X11Desktop() override;

  bool hasDisplay() const override { return true; }
  std::string displayProblem() const override { return {}; }
  WindowService& windows() override;
  KeyboardInjector& keyboard() override;
  MouseInjector& mouse() override;
  ToggleKeys& toggleKeys() override;
  Clipboard& clipboard() override;
  Bell& bell() override;
  TerminalText& terminalText() override;
  ProgramMessages& programMessages() override;
  InputRecording& inputRecording() override;
  MediaPlayer& media() override;
  ProcessLauncher& processes() override;
  ProgramRunner& programRunner() override;
  SessionControl& session() override;
  SystemInfo& systemInfo() override;
  RegistryStore& registry() override;
  ConversationBus& conversations() override;
  FileUse& fileUse() override;

 private:
  struct Parts;
  explicit X11Desktop(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace tw::port::x11
