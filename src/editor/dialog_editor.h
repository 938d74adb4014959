#pragma once
// The editor's Dialog Editor action: the designer opens on the dialog or string block whose head is the caret
// line, and what it saves takes the block's place between the kept head and tail lines.

#include <optional>
#include <string>
#include <vector>

namespace tw {
class ScriptHost;
}

namespace tw::editor {

class EditorView;
struct EditorPage;

// What the window does for the action.
class DialogDesigner {
 public:
  virtual ~DialogDesigner() = default;
  // The conversion changes controls (the question names them): go on?
  virtual bool ConfirmConversion(const std::string& question) = 0;
  // Opens the designer on an enhanced definition, line numbers in its error messages counted from lineBase.
  // The saved definition, or nothing when the user left without saving or the definition could not be written.
  virtual std::optional<std::vector<std::string>> Design(const std::vector<std::string>& definition, int lineBase) = 0;
};

// True when the block was replaced (one undo step). Otherwise the page's text is left byte for byte as it was;
// the caret ends at column 1 of the caret line in either case. The host measures text and shows definition
// errors.
bool EditDialogBlock(EditorView& view, EditorPage& page, ScriptHost& host, DialogDesigner& designer);

}  // namespace tw::editor
