#pragma once
// The Assistants menu: the helper scripts of the Helpers folder, those whose description begins "helper:".

#include <string>
#include <vector>

namespace tw::editor {

struct HelperEntry {
  std::string caption;  // "&1. Fill the form", numbered from 1
  std::string path;
};

// Every "*.tws" file of `folder` (in name order) whose header description, lower-cased, contains "helper:";
// the caption is the description after its first colon, trimmed. Files whose header cannot be read are left
// out. A missing folder gives none.
std::vector<HelperEntry> ListHelpers(const std::string& folder);

}  // namespace tw::editor
