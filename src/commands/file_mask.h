#pragma once
// The one wildcard matcher for every file mask of the command library (put and get of FTP,
// findfiles, findafile): "*" matches any run of characters, "?" exactly one character, and a
// mask that ends in ".*" also matches the names its part before ".*" matches, so "*.*" takes
// every name, with or without a dot. Letter case is significant and names that begin with "."
// are names like any other. Characters are those of UTF-8; a byte outside a valid sequence
// counts as one character.

#include <string_view>

namespace tw {

bool MaskMatches(std::string_view mask, std::string_view name);

}  // namespace tw
