// The include statement: another script file joins the lines, labels and subs of the run.

#include <filesystem>

#include "interpreter/interpreter.h"

namespace tw {

namespace {

std::string Uppered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string_view BareName(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TBasicInterpreter::IsIncluded(std::string_view file) const {
  const std::string wanted = Uppered(file);
  for (const ModuleEntry& module : shared_->Modules)
    if (wanted.find(Uppered(BareName(module.FileName))) != std::string::npos) return true;
  return false;
}

void TBasicInterpreter::ProcessInclude() {
  struct HookPause {
    explicit HookPause(bool& flag) : flag_(flag), saved_(flag) { flag_ = false; }
    ~HookPause() { flag_ = saved_; }
    bool& flag_;
    bool saved_;
  } pause(lineHookEnabled_);

  std::string name = ReadArgument();
  if (name.empty()) return;
  std::error_code error;
  if (!std::filesystem::exists(name, error)) name = IncludeDir + std::string(BareName(name));
  if (name.empty() || IsIncluded(name)) return;

  const std::size_t resumeLine = LineIndex;
  const std::size_t modulesBefore = shared_->Modules.size();
  try {
    if (!std::filesystem::is_regular_file(name, error)) throw ScriptFailure("missing");
    LoadScriptText(name);
  } catch (const ScriptFailure&) {
    ScriptError("Include File not Found");
    return;
  }
  if (shared_->Modules.size() == modulesBefore) {
    ScriptError("Include File not Found");  // the file had no lines to run
    return;
  }
  PreScan(shared_->Modules.back().FirstIndex);
  LineIndex = resumeLine;
  ClearTokenState();
}

}  // namespace tw
