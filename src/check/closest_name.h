#pragma once
// The known name a misspelt word most likely meant.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The candidate nearest to word by edits (insert, delete, replace, swap of neighbours), when it is
// near enough to be a slip: one edit for words of three or four letters, two beyond; names shorter
// than three letters get no suggestion. "" otherwise;
// among equally near candidates the first in the list wins. Compares without regard to ASCII case.
std::string ClosestName(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace tw
