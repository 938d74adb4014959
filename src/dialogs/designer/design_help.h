#pragma once
// The designer's help: a short enhanced definition shown like any script dialog.

#include <string>
#include <vector>

namespace tw {

const std::vector<std::string>& DesignHelpDefinition();

}  // namespace tw
