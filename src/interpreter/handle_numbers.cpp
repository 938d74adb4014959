#include "interpreter/handle_numbers.h"

#include <random>

namespace tw {

int UnusedHandle(std::size_t used, const std::function<bool(int)>& inUse) {
  if (used >= static_cast<std::size_t>(kMaxHandles)) return 0;
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(1, kMaxHandles);
  for (;;) {
    const int number = pick(generator);
    if (!inUse(number)) return number;
  }
}

}  // namespace tw
