#include "catalogue/run_requests.h"

#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

RunRequests::RunRequests(ScriptRunner& runner, std::function<std::string()> scriptPath)
    : runner_(runner), scriptPath_(std::move(scriptPath)) {}

void RunRequests::Receive(const std::string& name) {
  if (Trimmed(name).empty() || (EditorOpen && EditorOpen())) return;
  waiting_.push_back(name);
  if (asked_) return;
  asked_ = true;
  runner_.WhenIdle([this] { StartNext(); });
}

void RunRequests::StartNext() {
  asked_ = false;
  if (waiting_.empty()) return;
  const std::string name = waiting_.front();
  waiting_.pop_front();
  const std::string inScriptPath = WithTrailingSlash(scriptPath_()) + std::string(NamePart(name));
  if (IsRegularFile(name))
    runner_.RunScriptFile(name);
  else if (IsRegularFile(inScriptPath))
    runner_.RunScriptFile(inScriptPath);
  if (!waiting_.empty() && !asked_) {
    asked_ = true;
    runner_.WhenIdle([this] { StartNext(); });
  }
}

}  // namespace tw
