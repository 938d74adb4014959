// The blocks that hold text in the script's body: string and text give it to a variable, macro types it into a
// window. Both drop the indentation of the block's first line from every line.

#include "commands/block_body.h"
#include "commands/tarnwick_basic.h"
#include "commands/typing_into_window.h"
#include "commands/window_search.h"
#include "files/file_text.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

void StringBlock(TTarnwickBasic& library) {
  library.NextToken();
  if (library.AtEndOfLine() || library.AtEndOfScript()) {
    library.ScriptError("Syntax Error");
    return;
  }
  const std::string name(library.Token);
  // Either end word ends the block, whichever word started it.
  const std::vector<std::string> body = ReadBlockBody(library, {"endstring", "endtext"});
  if (library.CheckMode) return;
  const std::size_t indentation = body.empty() ? 0 : LeadingSpaces(body.front());
  std::string text;
  for (const std::string& line : body) text.append(WithoutMarker(Unindented(line, indentation))).append("\r\n");
  text = library.ExpandVariables(text);
  if (text.size() >= 2) text.resize(text.size() - 2);
  library.SetVariable(name, ScriptValue(text), false, false);
}

void MacroBlock(TTarnwickBasic& library) {
  const std::string title = library.ReadOptionalArgument(ScriptValue("")).ToText();
  const std::string prefix = library.ReadOptionalArgument(ScriptValue("")).ToText();
  const std::string extra = library.ReadOptionalArgument(ScriptValue("")).ToText();
  library.PlayMacro(title, prefix, extra);
}

}  // namespace

void TTarnwickBasic::PlayMacro(const std::string& title, const std::string& prefix, const std::string&) {
  const double delay = KeyDelaySeconds();
  const std::size_t bodyLine = LineIndex;
  const std::vector<std::string> body = ReadBlockBody(*this, {"endmacro"});
  // Each line becomes "text CR LF {enter}": the text and the Enter are typed separately. Parentheses are typed
  // as themselves, except on lines that start with "%", which are not typed at all.
  const std::size_t indentation = body.empty() ? 0 : LeadingSpaces(body.front());
  std::string joined;
  for (std::size_t i = 0; i < body.size(); ++i) {
    std::string item(WithoutMarker(Unindented(body[i], indentation)));
    if (!item.starts_with('%')) {
      std::string escaped;
      for (char c : item) escaped += c == '(' ? "{(}" : c == ')' ? "{)}" : std::string(1, c);
      item = std::move(escaped);
    }
    item += "\r\n";
    if (i + 1 < body.size()) item += "{enter}";  // no Enter after the last line
    if (i > 0) joined += "\r\n";
    joined += item;
  }
  if (CheckMode) return;
  const std::string expanded = ExpandVariables(joined);
  const std::vector<std::string_view> lines = SplitLines(expanded);

  if (!title.empty()) {
    TargetWindow = port::kNoWindow;
    constexpr int kSearches = 6;
    for (int search = 0; search < kSearches && Running && TargetWindow == port::kNoWindow; ++search) {
      TargetWindow = FindWindowByTitle(Desktop.windows(), title, true, true, false);
      if (TargetWindow == port::kNoWindow && search + 1 < kSearches) Delay(1000, true);
    }
  }
  // Without a title or a window to type into there is nothing to do; a window that was asked for but cannot be
  // typed into is an error, as it is for send.
  if (TargetWindow == port::kNoWindow && title.empty()) return;
  if (StopRequested) return;
  if (TargetWindow == port::kNoWindow || !ForceForeground(*this, TargetWindow)) {
    BlockError(*this, bodyLine, "Cannot Send to Active Window");
    return;
  }
  DelaySeconds(delay, true);
  for (std::string_view line : lines) {
    if (!Running || StopRequested) return;
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.starts_with('%')) continue;
    ForceForeground(*this, TargetWindow);
    SetToggleKey(port::ToggleKey::CapsLock, false);
    const KeyPlan plan = ParseKeyString(prefix + std::string(line));
    const TypedInto typed = TypeIntoWindow(*this, TargetWindow, plan);
    if (typed == TypedInto::TargetLost) {
      BlockError(*this, bodyLine, "Cannot Send to Active Window");
      return;
    }
    if (typed == TypedInto::Stopped) return;
    if (!plan.Error.empty()) {
      BlockError(*this, bodyLine, plan.Error);
      return;
    }
  }
}

void AddTextBlocks(LibraryHandlers& handlers) {
  handlers.AddBlock("string", StringBlock);
  handlers.AddBlock("text", StringBlock);
  handlers.AddBlock("macro", MacroBlock);
}

}  // namespace tw
