#pragma once
// The entries of a folder that match a file mask, in an order that is the same on every file system and run.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The names (without folder) of the entries of the mask's folder (the current folder when the mask names none)
// that its last part matches (file_mask.h), of every kind, hidden ones, "." and ".." included: "." and ".."
// first, then by name in byte order. Empty when the folder cannot be read.
std::vector<std::string> MatchingEntries(std::string_view mask);

}  // namespace tw
