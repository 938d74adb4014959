#pragma once
// A script host for fuzzing: shows nothing, confirms every prompt and gives one fixed answer to input.

#include <optional>
#include <string>
#include <string_view>

#include "interpreter/script_host.h"

namespace tw::fuzz {

class SilentHost : public ScriptHost {
 public:
  explicit SilentHost(std::optional<std::string> inputAnswer = std::nullopt) : inputAnswer_(std::move(inputAnswer)) {}

  bool ShowPrint(std::string_view) override { return true; }
  std::optional<std::string> ShowInput(std::string_view, std::string_view) override { return inputAnswer_; }
  void OpenConsole() override {}
  void CloseConsole() override {}
  void AddConsoleLine(std::string_view) override {}
  bool ShowMessage(std::string_view, MessageKind, MessageButtons) override { return true; }
  void ShowErrorBox(std::string_view) override {}
  void ShowNotice(std::string_view, std::string_view) override {}
  void ShowScriptError(std::string_view, bool) override {}
  std::optional<std::string> PickDirectory(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> PickFile(std::string_view, std::string_view, std::string_view) override { return {}; }
  bool ShowTimedPrompt(std::string_view, int) override { return true; }
  void PumpEvents() override {}
  void SetWindowsEnabled(bool) override {}
  void SetBusyCursor(bool) override {}
  void ShowDialog(TEnhanceFormDialog&) override {}  // closed at once, as by its close box

 private:
  std::optional<std::string> inputAnswer_;
};

}  // namespace tw::fuzz
