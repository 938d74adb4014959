#include "editor/function_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tw::editor {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool Listed(std::string_view line) {
  const std::string upper = Upper(line);
  if (upper.starts_with("SUB") || upper.starts_with("FUNC") || upper.starts_with("PROCE")) return true;
  return !upper.empty() && upper.back() == ':' && upper.find("CASE") == std::string::npos;
}

}  // namespace

std::vector<FunctionEntry> ListFunctions(std::string_view pageText) {
  std::vector<FunctionEntry> entries;
  int number = 0;
  while (!pageText.empty() || number == 0) {
    const std::size_t end = pageText.find('\n');
    std::string_view line = pageText.substr(0, end);
    pageText = end == std::string_view::npos ? std::string_view{} : pageText.substr(end + 1);
    ++number;
    // A page read with Windows line breaks keeps its '\r' on each line; it is no part of the line's text.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!Listed(line)) continue;
    const auto first = std::find_if_not(line.begin(), line.end(), IsBlank);
    const auto last = std::find_if_not(line.rbegin(), line.rend(), IsBlank).base();
    std::string text(first, last);
    if (text.find(':') != std::string::npos)
      text.insert(0, " ");
    else if (!text.ends_with(')'))
      text += "()";
    const auto occurrence =
        std::count_if(entries.begin(), entries.end(), [&](const FunctionEntry& e) { return e.text == text; });
    entries.push_back({std::move(text), number, static_cast<int>(first - line.begin()), static_cast<int>(occurrence)});
  }
  return entries;
}

std::optional<FunctionEntry> FindAgain(const FunctionEntry& entry, std::string_view pageText) {
  std::vector<FunctionEntry> same = ListFunctions(pageText);
  std::erase_if(same, [&](const FunctionEntry& now) { return now.text != entry.text; });
  if (static_cast<std::size_t>(entry.occurrence) < same.size()) return same[static_cast<std::size_t>(entry.occurrence)];
  const auto nearest = std::min_element(same.begin(), same.end(), [&](const FunctionEntry& a, const FunctionEntry& b) {
    return std::abs(a.line - entry.line) < std::abs(b.line - entry.line);
  });
  if (nearest == same.end()) return std::nullopt;
  return *nearest;
}

std::string LineNumberText(const FunctionEntry& entry) { return std::to_string(entry.line); }

std::string GotoText(const FunctionEntry& entry) {
  std::string text = entry.text.substr(0, entry.text.find('('));
  const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
  return first < last ? std::string(first, last) : std::string{};
}

std::string UseText(const FunctionEntry& entry) {
  const std::string& text = entry.text;
  if (const std::size_t colon = text.find(':'); colon != std::string::npos)
    return "GOSUB " + text.substr(0, colon) + "\n";
  const std::size_t blank = text.find(' ');
  std::string call = blank == std::string::npos ? text : text.substr(blank + 1);
  if (Lower(text).find("sub") != std::string::npos) call += "\n";
  return call;
}

}  // namespace tw::editor
