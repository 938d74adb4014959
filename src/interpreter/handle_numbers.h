#pragma once
// Handle numbers of the tables a script opens things in (files; settings keys and database queries): each
// new handle is drawn at random from the numbers 1 to kMaxHandles that its table does not use yet, so a
// stale number from an earlier open rarely names a newer object.

#include <cstddef>
#include <functional>

namespace tw {

constexpr int kMaxHandles = 10000;

// A random number from 1 to kMaxHandles for which inUse answers false; 0 when `used` numbers are taken
// already (the table is full).
int UnusedHandle(std::size_t used, const std::function<bool(int)>& inUse);

// The same for a table keyed by handle number (std::map, unordered_map).
template <typename Table>
int UnusedHandleOf(const Table& table) {
  return UnusedHandle(table.size(), [&table](int number) { return table.count(number) != 0; });
}

}  // namespace tw
