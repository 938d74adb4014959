#include "editor/helper_list.h"

#include <algorithm>
#include <filesystem>

#include "catalogue/script_header.h"

namespace tw::editor {

namespace {

std::string Lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::vector<HelperEntry> ListHelpers(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (Lowered(name).ends_with(".tws") && it->is_regular_file(error)) files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  std::vector<HelperEntry> helpers;
  for (const std::string& file : files) {
    TScriptHeader header;
    try {
      ReadScriptHeader(file, header);
    } catch (const std::exception&) {
      continue;
    }
    if (Lowered(header.description).find("helper:") == std::string::npos) continue;
    const std::string_view description = header.description;
    const std::string text = Trimmed(description.substr(description.find(':') + 1));
    helpers.push_back({"&" + std::to_string(helpers.size() + 1) + ". " + text, file});
  }
  return helpers;
}

}  // namespace tw::editor
