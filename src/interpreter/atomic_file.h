#pragma once
// Replacing a file so that a crash never leaves it half written.

#include <string>
#include <string_view>

namespace tw {

// Writes data to a temporary file beside path and renames it over path, keeping the old file's
// permissions. Throws ScriptFailure with the system's message when that fails.
void WriteFileAtomically(const std::string& path, std::string_view data);

}  // namespace tw
