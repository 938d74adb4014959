// The Sub/Func list's reading of a page: which lines are listed, as what, and what going to and using an
// entry take from it.

#include "editor/function_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw::editor {
namespace {

struct Listed {
  std::string text;
  int line;
  int column;
  std::string gotoText;
  std::string use;
  bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& e) {
  return out << "{\"" << e.text << "\", " << e.line << ", " << e.column << ", \"" << e.gotoText << "\", \"" << e.use
             << "\"}";
}

std::vector<Listed> List(const std::string& page) {
  std::vector<Listed> listed;
  for (const FunctionEntry& entry : ListFunctions(page)) {
    EXPECT_EQ(LineNumberText(entry), std::to_string(entry.line));
    listed.push_back({entry.text, entry.line, entry.column, GotoText(entry), UseText(entry)});
  }
  return listed;
}

TEST(FunctionList, ListsDefinitionsAndLabelsWithTheirOwnLines) {
  const struct {
    const char* page;
    std::vector<Listed> listed;
  } cases[] = {
      {"print 1\nsub Main\n  sub Indented\nendsub\n", {{"sub Main()", 2, 0, "sub Main", "Main()\n"}}},
      {"done:\n", {{" done:", 1, 0, "done:", "GOSUB  done\n"}}},
      {"func Add(a, b)\n", {{"func Add(a, b)", 1, 0, "func Add", "Add(a, b)"}}},
      {"PROCEDURE Tidy\nFUNCTION Sum()  \n",
       {{"PROCEDURE Tidy()", 1, 0, "PROCEDURE Tidy", "Tidy()"}, {"FUNCTION Sum()", 2, 0, "FUNCTION Sum", "Sum()"}}},
      // Labels may be indented; a line with CASE anywhere is no label; a label's line keeps its number.
      {"select x\n  case 1:\n  Case else:\n  again:\r\n", {{" again:", 4, 2, "again:", "GOSUB  again\n"}}},
      // A sub named without a blank still inserts itself; a trailing blank of a definition is no part of it.
      {"sub\tTabbed \nsubmit:\n",
       {{"sub\tTabbed()", 1, 0, "sub\tTabbed", "sub\tTabbed()\n"}, {" submit:", 2, 0, "submit:", "GOSUB  submit\n"}}},
      {"", {}},
      {"\n\n   \nendsub\nx = 1 ' note\n", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(List(c.page), c.listed) << "page: " << c.page;
}

// The list stays open while the page changes: an entry is found again as the same occurrence of its text, or
// the same text on the nearest line.
TEST(FunctionList, AnEntryIsFoundAgainAfterThePageChanged) {
  const std::string before = "sub Main()\nx = 1\nsub Main()\n";
  const FunctionEntry second = ListFunctions(before).at(1);
  const struct {
    const char* page;
    int line;  // 0: gone
  } cases[] = {{"sub Main()\nx = 1\nsub Main()\n", 3},
               {"' new\n' lines\nsub Main()\nx = 1\nsub Main()\n", 5},
               {"sub Main()\nx = 1\n", 1},
               {"sub Other()\nsub Main()\n", 2},
               {"sub Maintain()\n", 0}};
  for (const auto& c : cases) {
    const std::optional<FunctionEntry> found = FindAgain(second, c.page);
    EXPECT_EQ(found ? found->line : 0, c.line) << c.page;
  }
}

}  // namespace
}  // namespace tw::editor
