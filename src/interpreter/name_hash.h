#pragma once
// The hash of script names used by the interpreter's tables.

#include <cstddef>
#include <string_view>

namespace tw {

// FNV-1a: names are short, and lookups are on the interpreter's hot paths.
inline std::size_t HashName(std::string_view s) noexcept {
  std::size_t hash = 14695981039346656037ull;
  for (unsigned char c : s) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

}  // namespace tw
