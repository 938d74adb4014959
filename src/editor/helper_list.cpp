#include "editor/helper_list.h"

#include <algorithm>
#include <filesystem>

#include "catalogue/script_header.h"
#include "text/ascii_text.h"

namespace tw::editor {

std::vector<HelperEntry> ListHelpers(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (LowerAscii(name).ends_with(".tws") && it->is_regular_file(error)) files.push_back(it->path().string());
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
    if (LowerAscii(header.description).find("helper:") == std::string::npos) continue;
    const std::string_view description = header.description;
    const std::string text(Trimmed(description.substr(description.find(':') + 1)));
    helpers.push_back({"&" + std::to_string(helpers.size() + 1) + ". " + text, file});
  }
  return helpers;
}

}  // namespace tw::editor
