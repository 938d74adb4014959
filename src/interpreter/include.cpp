// The include statement: another script file joins the lines, labels and subs of the run.

#include <filesystem>

#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

std::string_view BareName(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TBasicInterpreter::IsIncluded(std::string_view file) const {
  // The same library reached by another path is still loaded once; "mylib.tws" is not "lib.tws".
  const std::string_view wanted = BareName(file);
  for (const ModuleEntry& module : shared_->Modules)
    if (EqualsIgnoringAsciiCase(wanted, BareName(module.FileName))) return true;
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
