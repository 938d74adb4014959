#pragma once
// The Sub/Func list of a page: its subs, functions, procedures and labels, what the list shows for each and
// what "Use" inserts for it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::editor {

struct FunctionEntry {
  std::string text;    // as listed: `sub Main()`, `func Add(a, b)`, ` done:` (a label keeps a leading blank)
  int line = 0;        // 1-based line of the page the entry was found on
  int column = 0;      // where the definition begins on that line (the blanks in front of it)
  int occurrence = 0;  // how many entries before it have the same text
};

// The entries of the page, in page order. A line is listed when its upper-cased text (not trimmed) begins
// with SUB, FUNC or PROCE, or contains no CASE and ends with ':' (a label); an indented definition is
// therefore not listed, an indented label is. The text is the line trimmed, a label with a blank put in
// front, anything else with "()" appended unless it ends with ')'.
std::vector<FunctionEntry> ListFunctions(std::string_view pageText);

// The entry as the page lists it now: the list stays open while the page is edited, so its lines may have
// moved. The same occurrence of its text, else the same text on the nearest line; none when it is gone.
std::optional<FunctionEntry> FindAgain(const FunctionEntry& entry, std::string_view pageText);

// The line number as the list shows it.
std::string LineNumberText(const FunctionEntry& entry);

// What going to the entry selects on its line: the text up to its first '(', without the label's blank and
// without trailing blanks. It starts at entry.column.
std::string GotoText(const FunctionEntry& entry);

// What "Use" inserts at the caret: for a label "GOSUB " and the text up to its first ':' (blank included) and
// a line break; otherwise the text after its first blank, with a line break when it names a sub.
std::string UseText(const FunctionEntry& entry);

}  // namespace tw::editor
