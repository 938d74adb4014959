#pragma once
// The word the caret stands in or touches, as the editor's language aids take it.

#include <cstddef>
#include <string_view>

namespace tw::editor {

// The run of letters, digits and underscores (a name of the language) around byte `caret` of `line`,
// also when the caret stands just before or just after it; "" when it touches none.
std::string_view WordAtCaret(std::string_view line, std::size_t caret);

}  // namespace tw::editor
