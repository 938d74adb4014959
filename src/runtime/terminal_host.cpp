#include "runtime/terminal_host.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include "interpreter/value.h"
#include "port/event_sources.h"
#include "runtime/stop_signals.h"
#include "text/ascii_text.h"

namespace tw {

TerminalHost::TerminalHost(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive)
    : in_(in), out_(out), err_(err), interactive_(interactive) {}

void TerminalHost::WriteLine(std::FILE* stream, std::string_view text) {
  if (stream == err_) std::fflush(out_);  // keep both streams in order on a terminal
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  if (stream == err_) std::fflush(err_);
}

std::optional<std::string> TerminalHost::ReadLine() {
  std::fflush(out_);
  std::fflush(err_);
  std::string line;
  for (int c; (c = std::fgetc(in_)) != EOF;) {
    if (c == '\n') return line;
    line += static_cast<char>(c);
  }
  if (std::ferror(in_) && errno == EINTR) {
    // A stop signal came while the prompt waited: the answer counts as Cancel and the run stops.
    std::clearerr(in_);
    PumpEvents();
    return std::nullopt;
  }
  if (line.empty()) return std::nullopt;  // end of input counts as Cancel
  return line;
}

std::optional<std::string> TerminalHost::Ask(std::string_view question) {
  std::fflush(out_);
  std::fwrite(question.data(), 1, question.size(), err_);
  std::fflush(err_);
  auto answer = ReadLine();
  if (answer && !answer->empty() && answer->back() == '\r') answer->pop_back();
  return answer;
}

bool TerminalHost::ShowPrint(std::string_view text) {
  WriteLine(out_, text);
  return true;
}

std::optional<std::string> TerminalHost::ShowInput(std::string_view prompt, std::string_view preset) {
  std::string question(prompt);
  if (interactive_ && !preset.empty()) question += " [" + std::string(preset) + "]";
  question += interactive_ ? ": " : "\n";
  auto answer = Ask(question);
  // On a terminal an empty answer keeps the preset, as OK on the untouched input window does.
  if (answer && answer->empty() && interactive_) return std::string(preset);
  return answer;
}

void TerminalHost::AddConsoleLine(std::string_view text) { WriteLine(out_, text); }

bool TerminalHost::ShowMessage(std::string_view text, MessageKind, MessageButtons buttons) {
  if (!interactive_) {
    WriteLine(err_, text);
    return true;  // nobody to ask: the default button, OK or Yes
  }
  const bool yesNo = buttons == MessageButtons::YesNo;
  std::string question(text);
  question += yesNo ? " [Y/n] " : " [OK/cancel] ";
  auto answer = Ask(question);
  if (!answer) return false;
  std::string word = LowerAscii(*answer);
  return word.empty() || word == "y" || word == "yes" || word == "o" || word == "ok";
}

void TerminalHost::ShowErrorBox(std::string_view text) { WriteLine(err_, text); }

void TerminalHost::ShowNotice(std::string_view caption, std::string_view text) {
  WriteLine(err_, std::string(caption) + ": " + std::string(text));
}

void TerminalHost::ShowScriptError(std::string_view text, bool) { WriteLine(err_, text); }

std::optional<std::string> TerminalHost::PickDirectory(std::string_view initial,
                                                       std::string_view caption) {
  if (!interactive_) return std::nullopt;
  auto answer = Ask(std::string(caption) + " [" + std::string(initial) + "]: ");
  if (answer && answer->empty()) return std::string(initial);
  return answer;
}

std::optional<std::string> TerminalHost::PickFile(std::string_view filter, std::string_view file,
                                                  std::string_view folder) {
  if (!interactive_) return std::nullopt;
  auto answer = Ask("Select a File (" + std::string(filter) + ") [" + std::string(folder) +
                    std::string(file) + "]: ");
  if (answer && answer->empty()) return std::string(folder) + std::string(file);
  return answer;
}

bool TerminalHost::ShowTimedPrompt(std::string_view text, int seconds) {
  std::string line(text);
  line += " - " + std::to_string(seconds) + " sec(s)";
  if (!interactive_) {
    WriteLine(err_, line);
    return true;
  }
  // On a terminal: Enter confirms, "c" cancels, and the prompt confirms itself when time runs out.
  std::string question = line + " [Enter = OK, c = cancel] ";
  std::fwrite(question.data(), 1, question.size(), err_);
  std::fflush(err_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      std::fputc('\n', err_);
      return true;
    }
    pollfd watch{::fileno(in_), POLLIN, 0};
    int ready = ::poll(&watch, 1, static_cast<int>(std::min<long>(left.count(), 200)));
    PumpEvents();
    if (ready > 0) {
      auto answer = ReadLine();
      if (!answer) return false;
      return LowerAscii(*answer).rfind('c', 0) != 0;
    }
  }
}

void TerminalHost::ShowDialog(TEnhanceFormDialog&) {
  throw ScriptFailure("Dialogs need brindle's windows: a display and no --console");
}

void TerminalHost::PumpEvents() {
  port::ServeEventSources();
  if (stop_signals::TakePending() && OnInterrupt) OnInterrupt();
}

}  // namespace tw
