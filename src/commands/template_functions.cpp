// template and templatevar: a text file filled with the values of script variables, either line by line with
// names between tildes (mode 1) or as a whole with |name| placeholders (any other mode).

#include <filesystem>
#include <optional>
#include <stdexcept>

#include "commands/tarnwick_basic.h"
#include "files/atomic_file.h"
#include "files/file_text.h"
#include "interpreter/builtins.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr int kTildeMode = 1;

// The file's text; nothing when it is missing or cannot be read.
std::optional<std::string> FileText(const std::string& path) {
  try {
    return ReadWholeFile(path);
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

// Text outside tildes stays; the text between two tildes (or after a last one) names a variable whose value
// takes its place, as text: "Dear ~name~," is "Dear ", the value of name and ",".
std::string FillTildes(TTarnwickBasic& library, std::string_view line) {
  std::string out;
  bool name = false;
  for (std::size_t at = 0;; name = !name) {
    const std::size_t tilde = line.find('~', at);
    const std::string_view piece = line.substr(at, tilde == std::string_view::npos ? std::string_view::npos : tilde - at);
    if (!name)
      out += piece;
    else if (!Trimmed(piece).empty())
      library.GetVariable(piece).AppendTextTo(out);
    if (tilde == std::string_view::npos) return out;
    at = tilde + 1;
  }
}

// The filled text of the file, each line ended by `lineEnd` (mode 1), or the whole file filled (other modes);
// nothing after a script error.
std::optional<std::string> Fill(TTarnwickBasic& library, const std::string& infile, std::int32_t mode,
                                std::string_view lineEnd) {
  if (mode == kTildeMode) {
    const std::optional<std::string> text = FileText(infile);
    if (!text) {
      library.ScriptError("File not Found!");
      return std::nullopt;
    }
    std::string out;
    for (std::string_view line : SplitLines(*text)) out.append(FillTildes(library, line)).append(lineEnd);
    return out;
  }
  std::error_code error;
  if (!std::filesystem::exists(infile, error)) {
    library.ScriptError("File not Found!");
    return std::nullopt;
  }
  const std::optional<std::string> text = FileText(infile);
  if (!text) {
    library.ScriptError("Invalid Expression");
    return std::nullopt;
  }
  return library.ExpandVariables(*text);
}

void Template(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string infile = library.ReadArgument();
  const std::string outfile = library.ReadArgument();
  const ScriptValue modeText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  if (library.CheckMode) return;
  if (infile.empty() || outfile.empty()) {
    library.ScriptError("Invalid Parameter");
    return;
  }
  std::int32_t mode = 0;
  if (!IntegerArgument(library, modeText, mode)) return;
  const std::optional<std::string> filled = Fill(library, infile, mode, "\r\n");
  if (!filled) return;
  // Written beside the old file and renamed over it, so the template may be its own output.
  try {
    WriteFileAtomically(outfile, *filled);
  } catch (const std::runtime_error&) {
    library.ScriptError(mode == kTildeMode ? "File not Found!" : "Invalid Expression");
  }
}

void TemplateVar(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string infile = library.ReadArgument();
  const ScriptValue modeText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  if (library.CheckMode) return;
  if (infile.empty()) {
    library.ScriptError("Invalid Parameter");
    return;
  }
  std::int32_t mode = 0;
  if (!IntegerArgument(library, modeText, mode)) return;
  // Lines of mode 1 end with LF and then CR, in that order.
  if (const std::optional<std::string> filled = Fill(library, infile, mode, "\n\r")) result = ScriptValue(*filled);
}

}  // namespace

void AddTemplateFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("template", Template);
  handlers.AddFunction("templatevar", TemplateVar);
}

}  // namespace tw
