#pragma once
// Finding text in UTF-8 text: a match begins and ends between characters, never inside one.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tw::text {

struct Match {
  std::size_t At = std::string_view::npos;  // byte offset, npos when absent
  std::size_t Length = 0;                   // bytes matched
};

// The first exact occurrence of needle (not empty) in haystack.
Match FindExact(std::string_view haystack, std::string_view needle);
// The first occurrence with the case of every letter ignored (simple case folding of all of Unicode); the
// match may differ in length from the needle.
Match FindIgnoringCase(std::string_view haystack, std::string_view needle);
// Every occurrence, left to right, none overlapping the one before it.
std::vector<Match> FindAll(std::string_view haystack, std::string_view needle, bool ignoreCase);

}  // namespace tw::text
