#pragma once
// Time as the schedule sees it: instants in milliseconds since 1970 UTC (elapsed time, which minute and
// hour intervals count in) and local wall times in milliseconds since 1970-01-01 00:00 on the local calendar
// (which days, weeks and months keep). Tests replace the clock to set "now".

#include <cstdint>

#include "interpreter/locale/datetime.h"

namespace tw {

using UtcMs = std::int64_t;
using LocalMs = std::int64_t;

inline constexpr std::int64_t kMsPerDay = 86'400'000;

class ScheduleClock {
 public:
  virtual ~ScheduleClock() = default;
  virtual UtcMs Now() const = 0;
  virtual LocalMs ToLocal(UtcMs instant) const = 0;
  // A local time the spring change skips gives the first instant after the gap; one the autumn change
  // repeats gives its first occurrence.
  virtual UtcMs ToUtc(LocalMs local) const = 0;
};

// The system's clock and time zone (TZ as the C library reads it).
class SystemScheduleClock : public ScheduleClock {
 public:
  UtcMs Now() const override;
  LocalMs ToLocal(UtcMs instant) const override;
  UtcMs ToUtc(LocalMs local) const override;
};

// Local wall times and date-time numbers (whose whole part counts days since 30 December 1899).
LocalMs LocalMsFromCivil(const CivilDateTime& civil);
CivilDateTime CivilFromLocalMs(LocalMs local);
LocalMs LocalMsFromDateTime(double value);  // throws std::out_of_range outside years 1..9999
double DateTimeFromLocalMs(LocalMs local);  // throws std::out_of_range outside years 1..9999

// The last millisecond the calendar holds: 31 December 9999 23:59:59.999.
LocalMs LastLocalMs();

}  // namespace tw
