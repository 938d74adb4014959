#include "port/fake/fake_desktop.h"

#include "port/conversation_directory.h"

namespace tw::port::fake {

FakeDesktop::FakeDesktop() {
  conversations_.setCaptionSource([this] { return WindowCaptionsOf(windows(), systemInfo_.processId()); });
}

void FakeDesktop::removeDisplay(const std::string& reason) {
  unavailable_ = std::make_unique<UnavailableDisplayServices>("no display: " + reason);
}

WindowService& FakeDesktop::windows() {
  if (unavailable_) return *unavailable_;
  return windows_;
}

KeyboardInjector& FakeDesktop::keyboard() {
  if (unavailable_) return *unavailable_;
  return keyboard_;
}

MouseInjector& FakeDesktop::mouse() {
  if (unavailable_) return *unavailable_;
  return mouse_;
}

ToggleKeys& FakeDesktop::toggleKeys() {
  if (unavailable_) return *unavailable_;
  return toggles_;
}

Clipboard& FakeDesktop::clipboard() {
  if (unavailable_) return *unavailable_;
  return clipboard_;
}

Bell& FakeDesktop::bell() {
  if (unavailable_) return *unavailable_;
  return bell_;
}

TerminalText& FakeDesktop::terminalText() {
  if (unavailable_) return *unavailable_;
  return terminalText_;
}

ProgramMessages& FakeDesktop::programMessages() {
  if (unavailable_) return *unavailable_;
  return programMessages_;
}

InputRecording& FakeDesktop::inputRecording() {
  if (unavailable_) return *unavailable_;
  return inputRecording_;
}

namespace {

class NoRegistry final : public RegistryStore {
 public:
  bool openKey(RegistryRoot, std::string_view, bool) override { fail(); }
  bool deleteKey(RegistryRoot, std::string_view) override { fail(); }
  bool deleteValue(RegistryRoot, std::string_view, std::string_view) override { fail(); }
  std::optional<RegistryValue> readValue(RegistryRoot, std::string_view, std::string_view) override { fail(); }
  bool writeValue(RegistryRoot, std::string_view, std::string_view, const RegistryValue&) override { fail(); }

 private:
  [[noreturn]] static void fail() {
    throw ServiceUnavailable("the fake desktop has no settings store: the test gives it one with useRegistry");
  }
};

}  // namespace

RegistryStore& FakeDesktop::registry() {
  static NoRegistry none;
  return registry_ ? *registry_ : none;
}

FileUse& FakeDesktop::fileUse() {
  class NoFileUse final : public FileUse {
    bool opensExclusively(const std::string&) override {
      throw ServiceUnavailable("the fake desktop has no file probe: the test gives it one with useFileUse");
    }
  };
  static NoFileUse none;
  return fileUse_ ? *fileUse_ : none;
}

}  // namespace tw::port::fake
