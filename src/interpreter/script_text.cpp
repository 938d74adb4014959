// Loading script text into marked lines, the name lists a host registers, and the pre-scan
// that indexes labels and subs.

#include <optional>

#include "files/file_text.h"
#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

}  // namespace

void TBasicInterpreter::AppendScriptLines(std::string_view text, std::string_view moduleName) {
  auto& lines = shared_->Lines;
  const std::size_t first = lines.size();
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    // Header lines ("#" in the very first column) never reach the interpreter.
    if (line.empty() || line.front() != '#') {
      std::string& stored = lines.emplace_back();
      stored.reserve(line.size() + 1);
      stored.append(line);
      stored += '~';
    }
    if (end == text.size()) break;
    at = end + 1;  // CR LF, LF and CR each end a line
    if (text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  if (lines.size() > first) shared_->Modules.push_back({std::string(moduleName), first});
}

bool TBasicInterpreter::LoadScriptText(const std::string& file) {
  std::optional<std::string> text;
  try {
    text = ReadWholeFile(file);
  } catch (const std::exception& failure) {
    throw ScriptFailure(FailureMessage(failure));  // names the file and the system's reason
  }
  if (!text) throw ScriptFailure("Cannot open file \"" + file + "\"");
  AppendScriptLines(*text, file);
  return true;
}

void TBasicInterpreter::RegisterBlock(std::string_view startWord, std::string_view endWord) {
  shared_->Blocks.emplace_back(LowerAscii(startWord), TBlockTokens{LowerAscii(endWord)});
  shared_->WordsChanged();
}

void TBasicInterpreter::RegisterCommand(std::string_view name) {
  shared_->Commands.push_back(LowerAscii(name));
  shared_->WordsChanged();
}

void TBasicInterpreter::RegisterFunction(std::string_view name) {
  shared_->Functions.push_back(LowerAscii(name));
  shared_->WordsChanged();
}

bool TBasicInterpreter::SkipBlock(std::string_view startWord) {
  const TBlockTokens* block = nullptr;
  for (const auto& entry : shared_->Blocks)
    if (entry.first == startWord) block = &entry.second;
  if (!block) return false;
  const auto& lines = shared_->Lines;
  while (LineIndex < lines.size() && !LowerAscii(Trimmed(lines[LineIndex])).starts_with(block->EndWord)) ++LineIndex;
  if (LineIndex < lines.size()) ++LineIndex;
  ClearTokenState();
  return true;
}

void TBasicInterpreter::PreScan(std::size_t startIndex) {
  const bool savedHook = lineHookEnabled_;
  lineHookEnabled_ = false;
  LineIndex = startIndex;
  ClearTokenState();
  auto isDefinition = [this] {
    return TokenIs(Keyword::Sub) || TokenIs(Keyword::Subroutine) || TokenIs(Keyword::Func) ||
           TokenIs(Keyword::Function);
  };
  auto isDefinitionEnd = [this] { return TokenIs(Keyword::EndSub) || TokenIs(Keyword::EndFunc); };
  for (;;) {
    NextToken();
    if (AtEndOfScript() || StopRequested) break;
    if (Kind == TokenKind::tkStatement && TokenId == kIdBlock) {
      SkipBlock(TokenLower());
    } else if (isDefinition()) {
      NextToken();
      std::string name = LowerAscii(Token);
      if (!shared_->UserFunctions.count(name)) {
        TUserFunction function;
        function.Name = std::string(Token);
        const std::string_view rest = RestOfLine();
        std::size_t open = rest.find('(');
        if (open != std::string_view::npos) {
          std::size_t close = rest.find(')', open + 1);
          function.Parameters =
              std::string(rest.substr(open + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                  : close - open - 1));
        }
        function.BodyLine = LineIndex;
        SplitParameters(function);
        shared_->UserFunctions.emplace(name, std::move(function));
        shared_->FunctionsChanged();
      }
      if (CheckMode) {
        // A checked script must close every definition.
        for (;;) {
          NextToken();
          if (AtEndOfScript()) {
            ScriptError("ENDSUB/ENDFUNC without SUB/FUNC.");
            break;
          }
          if (isDefinitionEnd()) break;
          if (Kind == TokenKind::tkStatement && TokenId == kIdBlock) SkipBlock(TokenLower());
        }
        if (StopRequested) break;
      }
    } else if (CheckMode && isDefinitionEnd()) {
      ScriptError("ENDSUB/ENDFUNC without SUB/FUNC.");
      break;
    } else if (Kind == TokenKind::tkLabel) {
      if (shared_->Labels.count(TokenLower())) {
        ScriptError("Duplicate Labels");
        break;
      }
      shared_->Labels.emplace(TokenLower(), TLabelItem{LineIndex - 1});
    }
  }
  lineHookEnabled_ = savedHook;
}

std::string TBasicInterpreter::GetKeywords() const {
  std::string words = " ";
  for (std::string_view word : kConditionWords) (words += word) += ' ';
  words += "true false empty result ";
  auto add = [&words](std::string_view name) {
    words += ' ';
    words += name;
    words += ' ';
  };
  for (const auto& entry : kStatementKeywords) add(entry.Name);
  for (const std::string& name : shared_->Commands) add(name);
  for (const auto& entry : kBuiltinFunctions) add(entry.Name);
  for (const std::string& name : shared_->Functions) add(name);
  for (const auto& block : shared_->Blocks) {
    add(block.first);
    add(block.second.EndWord);
  }
  return words;
}

std::string TBasicInterpreter::GetAllCommands() const {
  std::string text = "COMMANDS:\r\n";
  for (const auto& entry : kStatementKeywords) (text += entry.Name) += "\r\n";
  for (const std::string& name : shared_->Commands) (text += name) += "\r\n";
  text += "\r\nFUNCTIONS:\r\n";
  for (const auto& entry : kBuiltinFunctions) (text += entry.Name) += "\r\n";
  for (const std::string& name : shared_->Functions) (text += name) += "\r\n";
  return text;
}

}  // namespace tw
