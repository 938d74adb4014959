#include "interpreter/invariant.h"

#include <cstdio>
#include <cstdlib>

namespace tw {

void InvariantBroken(const char* condition, const char* file, int line) noexcept {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

}  // namespace tw
