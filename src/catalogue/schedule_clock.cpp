#include "catalogue/schedule_clock.h"

#include <chrono>
#include <ctime>
#include <stdexcept>

namespace tw {
namespace {

// Date-time 25569 is 1 January 1970.
constexpr std::int64_t kUnixDay = 25569;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The local zone's offset from UTC in milliseconds at an instant.
std::int64_t OffsetAt(UtcMs instant) {
  const std::time_t seconds = static_cast<std::time_t>(FloorDiv(instant, 1000));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) throw std::out_of_range("time out of range");
  return static_cast<std::int64_t>(local.tm_gmtoff) * 1000;
}

}  // namespace

UtcMs SystemScheduleClock::Now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

LocalMs SystemScheduleClock::ToLocal(UtcMs instant) const { return instant + OffsetAt(instant); }

UtcMs SystemScheduleClock::ToUtc(LocalMs local) const {
  // Zones change their offset at most once within a day around any time: the offsets a day before and a
  // day after are the only candidates.
  const std::int64_t before = OffsetAt(local - kMsPerDay);
  const std::int64_t after = OffsetAt(local + kMsPerDay);
  bool found = false;
  UtcMs best = 0;
  for (std::int64_t offset : {before, after}) {
    const UtcMs candidate = local - offset;
    if (OffsetAt(candidate) == offset && (!found || candidate < best)) {
      best = candidate;
      found = true;
    }
  }
  if (found) return best;
  // In a gap: the change itself, found by halving between the two readings (seconds are enough).
  UtcMs low = local - after;   // still before the change
  UtcMs high = local - before; // already after it
  if (low > high) std::swap(low, high);
  while (high - low > 1000) {
    const UtcMs middle = low + (high - low) / 2;
    (OffsetAt(middle) == before ? low : high) = middle;
  }
  return FloorDiv(high + 999, 1000) * 1000;
}

LocalMs LocalMsFromCivil(const CivilDateTime& civil) {
  CivilDateTime day{civil.year, civil.month, civil.day, 0, 0, 0, 0};
  const auto days = static_cast<std::int64_t>(encodeDateTime(day)) - kUnixDay;
  return days * kMsPerDay + ((civil.hour * 60LL + civil.minute) * 60 + civil.second) * 1000 + civil.millisecond;
}

CivilDateTime CivilFromLocalMs(LocalMs local) {
  const std::int64_t days = FloorDiv(local, kMsPerDay);
  std::int64_t ms = local - days * kMsPerDay;
  CivilDateTime civil = decodeDateTime(static_cast<double>(days + kUnixDay));
  civil.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  civil.second = static_cast<int>(ms % 60);
  ms /= 60;
  civil.minute = static_cast<int>(ms % 60);
  civil.hour = static_cast<int>(ms / 60);
  return civil;
}

LocalMs LocalMsFromDateTime(double value) { return LocalMsFromCivil(decodeDateTime(value)); }

double DateTimeFromLocalMs(LocalMs local) { return encodeDateTime(CivilFromLocalMs(local)); }

LocalMs LastLocalMs() { return LocalMsFromCivil({9999, 12, 31, 23, 59, 59, 999}); }

}  // namespace tw
