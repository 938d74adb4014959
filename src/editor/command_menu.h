#pragma once
// The Commands/Functions menu: every command and function of the language by group. Choosing an item puts its
// keyword's completion template at the caret.

#include <string>
#include <string_view>
#include <vector>

namespace tw::editor {

struct CommandMenuItem {
  std::string caption;
  std::string keyword;  // "" for a separator
  bool IsSeparator() const { return keyword.empty(); }
};

struct CommandMenuGroup {
  std::string caption;
  std::vector<CommandMenuItem> items;
};

// The menu's lines: "+Caption" opens a submenu, "-" is a separator, any other line is an item
// "caption|keyword" or just "keyword".
const std::vector<std::string_view>& CommandMenuLines();
std::vector<CommandMenuGroup> ParseCommandMenu(const std::vector<std::string_view>& lines);

}  // namespace tw::editor
