#pragma once
// Recorded clipboard, sounds, program starts, session requests and settable system facts for unit tests.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "port/clipboard.h"
#include "port/fake/fake_log.h"
#include "port/processes.h"
#include "port/session.h"
#include "port/sound.h"
#include "port/system_info.h"
#include "port/terminal_text.h"

namespace tw::port::fake {

// Records "clipboard set <text>".
class FakeClipboard final : public Clipboard {
 public:
  explicit FakeClipboard(ActionLog& log) : log_(log) {}
  // What another program put there; not recorded. nullopt: no text.
  void preset(std::optional<std::string> text) { text_ = std::move(text); }
  std::optional<std::string> text() override { return text_; }
  bool setText(const std::string& text) override;

 private:
  ActionLog& log_;
  std::optional<std::string> text_;
};

// Records "beep Default|Information|Exclamation|Error|Question".
class FakeBell final : public Bell {
 public:
  explicit FakeBell(ActionLog& log) : log_(log) {}
  bool ring(Alert alert) override;

 private:
  ActionLog& log_;
};

// Records "play <path>" and "stop media". Every file plays unless marked unplayable.
class FakeMediaPlayer final : public MediaPlayer {
 public:
  explicit FakeMediaPlayer(ActionLog& log) : log_(log) {}
  void markUnplayable(const std::string& path) { unplayable_.insert(path); }
  bool play(const std::string& path) override;
  void stop() override;

 private:
  ActionLog& log_;
  std::set<std::string> unplayable_;
};

struct StartRequest {
  std::string program;
  std::vector<std::string> arguments;
  std::string workingFolder;
  friend bool operator==(const StartRequest&, const StartRequest&) = default;
};

// Records "start <program> <arguments...>" (and " in <folder>" when given one) and "open <target>"; starts()
// keeps the exact arguments.
// Every program starts (with made-up process ids from 1000 on) unless marked missing.
class FakeProcessLauncher final : public ProcessLauncher {
 public:
  explicit FakeProcessLauncher(ActionLog& log) : log_(log) {}
  void markMissing(const std::string& program) { missing_.insert(program); }
  void markUnopenable(const std::string& target) { unopenable_.insert(target); }
  const std::vector<StartRequest>& starts() const { return starts_; }
  const std::vector<std::string>& opens() const { return opens_; }

  StartResult start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder = {}) override;
  StartResult open(const std::string& target) override;

 private:
  ActionLog& log_;
  std::set<std::string> missing_;
  std::set<std::string> unopenable_;
  std::vector<StartRequest> starts_;
  std::vector<std::string> opens_;
  int nextPid_ = 1000;
};

// Records "run <program> <arguments...>"; inputs() keeps what each run was given. Every program runs and exits
// with status 0 unless marked missing or given another status.
class FakeProgramRunner final : public ProgramRunner {
 public:
  explicit FakeProgramRunner(ActionLog& log) : log_(log) {}
  void markMissing(const std::string& program) { missing_.insert(program); }
  void setExitStatus(const std::string& program, int status) { statuses_[program] = status; }
  const std::vector<std::string>& inputs() const { return inputs_; }

  RunResult run(const std::string& program, const std::vector<std::string>& arguments, std::string_view input,
                const std::function<bool()>& keepWaiting) override;

 private:
  ActionLog& log_;
  std::set<std::string> missing_;
  std::map<std::string, int> statuses_;
  std::vector<std::string> inputs_;
};

// Records "session poweroff" and "session reboot"; accepts them unless told to refuse.
class FakeSessionControl final : public SessionControl {
 public:
  explicit FakeSessionControl(ActionLog& log) : log_(log) {}
  void refuse(std::string error) { refusal_ = std::move(error); }
  SessionEndResult request(SessionEnd what) override;

 private:
  ActionLog& log_;
  std::string refusal_;
};

// Answers with the public fields; queries are not recorded.
class FakeSystemInfo final : public SystemInfo {
 public:
  OperatingSystem system{"Linux", "6.1.0-test"};
  std::vector<std::string> arguments{"/usr/bin/brindle"};
  std::optional<int> usage = 12;
  std::vector<std::string> addresses{"192.0.2.10", "127.0.0.1"};
  std::string pointToPoint;

  OperatingSystem operatingSystem() override { return system; }
  std::vector<std::string> programArguments() override { return arguments; }
  std::optional<int> processorUsage() override { return usage; }
  std::vector<std::string> ipv4Addresses() override { return addresses; }
  std::string pointToPointAddress() override { return pointToPoint; }
  int processId() override { return pid; }
  int pid = 4242;
};

// Terminal screens set by the test, one per window; a window without one is no readable terminal.
class FakeTerminalText final : public TerminalText {
 public:
  std::map<WindowId, std::vector<std::string>> screens;
  std::optional<TerminalScreen> read(WindowId terminal) override {
    auto found = screens.find(terminal);
    if (found == screens.end()) return std::nullopt;
    return TerminalScreen{found->second, std::nullopt};
  }
};

}  // namespace tw::port::fake
