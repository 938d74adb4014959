#include "check/closest_name.h"

#include <algorithm>

#include "text/ascii_text.h"

namespace tw {

namespace {

// Optimal string alignment distance, given up once it exceeds limit (then limit + 1).
std::size_t Distance(std::string_view a, std::string_view b, std::size_t limit) {
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  if ((n > m ? n - m : m - n) > limit) return limit + 1;
  std::vector<std::size_t> before(m + 1), previous(m + 1), current(m + 1);
  for (std::size_t j = 0; j <= m; ++j) previous[j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    current[0] = i;
    std::size_t rowBest = current[0];
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        current[j] = std::min(current[j], before[j - 2] + 1);
      rowBest = std::min(rowBest, current[j]);
    }
    if (rowBest > limit) return limit + 1;
    before.swap(previous);
    previous.swap(current);
  }
  return previous[m];
}

}  // namespace

std::string ClosestName(std::string_view word, const std::vector<std::string>& candidates) {
  const std::string lowered = LowerAscii(word);
  if (lowered.size() < 3) return {};  // every short name is a slip away from another
  const std::size_t limit = lowered.size() <= 4 ? 1 : 2;
  std::string best;
  std::size_t bestDistance = limit + 1;
  for (const std::string& candidate : candidates) {
    const std::size_t d = Distance(lowered, LowerAscii(candidate), limit);
    if (d == 0) continue;  // the word itself is no suggestion
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best;
}

}  // namespace tw
