#include "port/fake/fake_services.h"

namespace tw::port::fake {

bool FakeClipboard::setText(const std::string& text) {
  log_.push_back("clipboard set " + text);
  text_ = text;
  return true;
}

bool FakeBell::ring(Alert alert) {
  static const char* const names[] = {"Default", "Information", "Exclamation", "Error", "Question"};
  log_.push_back(std::string("beep ") + names[static_cast<int>(alert)]);
  return true;
}

bool FakeMediaPlayer::play(const std::string& path) {
  log_.push_back("play " + path);
  return unplayable_.count(path) == 0;
}

void FakeMediaPlayer::stop() { log_.push_back("stop media"); }

StartResult FakeProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::string& workingFolder) {
  std::string line = "start " + program;
  for (const auto& argument : arguments) line += " " + argument;
  if (!workingFolder.empty()) line += " in " + workingFolder;
  log_.push_back(line);
  starts_.push_back({program, arguments, workingFolder});
  if (missing_.count(program)) return {false, 0, "no such file or directory: " + program};
  return {true, nextPid_++, {}};
}

RunResult FakeProgramRunner::run(const std::string& program, const std::vector<std::string>& arguments,
                                 std::string_view input, const std::function<bool()>& keepWaiting) {
  std::string line = "run " + program;
  for (const auto& argument : arguments) line += " " + argument;
  log_.push_back(line);
  if (missing_.count(program)) return {false, false, -1, "no such file or directory: " + program};
  inputs_.emplace_back(input);
  if (keepWaiting && !keepWaiting()) return {true, false, -1, {}};
  auto status = statuses_.find(program);
  return {true, true, status == statuses_.end() ? 0 : status->second, {}};
}

StartResult FakeProcessLauncher::open(const std::string& target) {
  log_.push_back("open " + target);
  opens_.push_back(target);
  if (unopenable_.count(target)) return {false, 0, "cannot open " + target};
  return {true, nextPid_++, {}};
}

SessionEndResult FakeSessionControl::request(SessionEnd what) {
  log_.push_back(what == SessionEnd::PowerOff ? "session poweroff" : "session reboot");
  if (!refusal_.empty()) return {false, refusal_};
  return {true, {}};
}

}  // namespace tw::port::fake
