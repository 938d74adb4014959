#include "catalogue/schedule.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "text/ascii_text.h"

namespace tw {
namespace {

constexpr std::int64_t kMinuteMs = 60'000;
constexpr std::int64_t kHourMs = 3'600'000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Start moved on by `months`, its day cut to the last day of the month reached; nothing past the year 9999.
std::optional<LocalMs> AddMonths(const CivilDateTime& start, std::int64_t months) {
  const std::int64_t total = start.month - 1 + months;
  const std::int64_t year = start.year + FloorDiv(total, 12);
  if (year > 9999 || year < 1) return std::nullopt;
  CivilDateTime moved = start;
  moved.year = static_cast<int>(year);
  moved.month = static_cast<int>(total - FloorDiv(total, 12) * 12) + 1;
  moved.day = std::min(start.day, daysInMonth(moved.year, moved.month));
  return LocalMsFromCivil(moved);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LocalText(UtcMs instant, const ScheduleClock& clock) {
  return HeaderDateTimeText(DateTimeFromLocalMs(clock.ToLocal(instant)));
}

}  // namespace

std::optional<ScheduleUnit> ParseScheduleUnit(const std::string& text) {
  const std::string unit = LowerAscii(text);
  if (unit == "minute") return ScheduleUnit::Minute;
  if (unit == "hour") return ScheduleUnit::Hour;
  if (unit == "day") return ScheduleUnit::Day;
  if (unit == "week") return ScheduleUnit::Week;
  if (unit == "month") return ScheduleUnit::Month;
  return std::nullopt;
}

std::optional<UtcMs> NextRunTime(ScheduleUnit unit, std::int32_t count, UtcMs now, LocalMs start,
                                 const ScheduleClock& clock) {
  const std::int64_t step = std::max<std::int32_t>(count, 1);
  const LocalMs last = LastLocalMs();
  const UtcMs startInstant = clock.ToUtc(start);
  if (now < startInstant) return startInstant;

  if (unit == ScheduleUnit::Minute || unit == ScheduleUnit::Hour) {
    // Elapsed time: the autumn change's repeated hour keeps its runs, the spring gap adds none.
    const std::int64_t length = unit == ScheduleUnit::Minute ? kMinuteMs : kHourMs;
    const UtcMs next = startInstant + ((now - startInstant) / length + step) * length;
    if (clock.ToLocal(next) > last) return std::nullopt;
    return next;
  }

  // Local calendar: the whole units passed since start by the wall clock, then `count` more, moved on again
  // in the rare case the zone's change puts that time at or before now.
  const LocalMs nowLocal = clock.ToLocal(now);
  if (unit == ScheduleUnit::Month) {
    const CivilDateTime from = CivilFromLocalMs(start);
    const CivilDateTime at = CivilFromLocalMs(nowLocal);
    std::int64_t passed = (at.year - from.year) * 12LL + (at.month - from.month);
    const std::optional<LocalMs> reached = AddMonths(from, passed);
    if (reached && *reached > nowLocal) --passed;
    for (std::int64_t months = std::max<std::int64_t>(passed, 0) + step;; months += step) {
      const std::optional<LocalMs> next = AddMonths(from, months);
      if (!next) return std::nullopt;
      if (const UtcMs instant = clock.ToUtc(*next); instant > now) return instant;
    }
  }
  const std::int64_t length = unit == ScheduleUnit::Day ? kMsPerDay : 7 * kMsPerDay;
  const std::int64_t passed = std::max<std::int64_t>(FloorDiv(nowLocal - start, length), 0);
  for (std::int64_t units = passed + step;; units += step) {
    if (units > (last - start) / length) return std::nullopt;
    if (const UtcMs instant = clock.ToUtc(start + units * length); instant > now) return instant;
  }
}

std::optional<TScheduleObject> MakeScheduleEntry(const TScriptHeader& header, const std::string& scriptFile,
                                                 UtcMs now, const ScheduleClock& clock, std::string& why) {
  why.clear();
  if (!header.enableschd) return std::nullopt;
  if (header.runmode != 1 && header.runmode != 2) {
    why = "runmode " + std::to_string(header.runmode) + " is neither once (1) nor every (2)";
    return std::nullopt;
  }
  TScheduleObject entry;
  entry.kind = header.runmode;
  entry.count = std::max(header.schdcount, 1);
  entry.scriptFile = scriptFile;
  try {
    entry.start = LocalMsFromDateTime(header.schddatetime);
  } catch (const std::out_of_range&) {
    why = "the start date lies outside the calendar";
    return std::nullopt;
  }
  const std::optional<ScheduleUnit> unit = ParseScheduleUnit(header.schddwm);
  if (unit) {
    entry.unit = *unit;
  } else if (entry.kind == 2) {
    why = "unknown unit \"" + header.schddwm + "\"";
    return std::nullopt;
  }
  entry.nextRun = clock.ToUtc(entry.start);
  if (now > *entry.nextRun) {
    if (entry.kind == 1) {
      why = "runs once and its start has passed";
      return std::nullopt;
    }
    entry.nextRun = NextRunTime(entry.unit, entry.count, now, entry.start, clock);
  }
  return entry;
}

std::string ScheduleEntryLine(const TScheduleObject& entry, const ScheduleClock& clock) {
  const std::string start = HeaderDateTimeText(DateTimeFromLocalMs(entry.start));
  const std::string next = entry.nextRun ? LocalText(*entry.nextRun, clock) : std::string("never");
  char line[1024];
  std::snprintf(line, sizeof line, "Name=%-15s Type=%1d Interval=%1d StartDate=%14s  RunDate=%14s",
                BaseName(entry.scriptFile).c_str(), entry.kind, entry.count, start.c_str(), next.c_str());
  return line;
}

std::vector<TScheduleObject> BuildSchedule(const FolderNode& root, const std::string& scriptPath,
                                           const ScheduleClock& clock,
                                           const std::function<void(const std::string&)>& debug) {
  const UtcMs now = clock.Now();
  const double nowDateTime = DateTimeFromLocalMs(clock.ToLocal(now));
  std::vector<TScheduleObject> entries;
  for (const FolderNode* node : InTreeOrder(root)) {
    const std::string folder = node->relativePath.empty() ? scriptPath : scriptPath + node->relativePath + "/";
    const ScriptListing listing = ListScripts(folder, nullptr);
    for (const std::string& unreadable : listing.unreadable) debug("Not scheduled: " + unreadable);
    for (const ScriptItem& item : listing.items) {
      TScriptHeader header;
      try {
        ReadScriptHeader(item.fullPath, header, nowDateTime);
      } catch (const HeaderError& error) {
        debug("Not scheduled: " + item.fileName + ": " + error.what());
        continue;
      }
      std::string why;
      std::optional<TScheduleObject> entry = MakeScheduleEntry(header, item.fullPath, now, clock, why);
      if (entry) {
        debug(ScheduleEntryLine(*entry, clock));
        entries.push_back(std::move(*entry));
      } else if (!why.empty()) {
        debug("Not scheduled: " + item.fileName + ": " + why);
      }
    }
  }
  return entries;
}

void Scheduler::Start(std::vector<TScheduleObject> entries) {
  entries_ = std::move(entries);
  ++generation_;
  on_ = true;
}

void Scheduler::Tick() {
  if (ticking_) return;  // a tick that comes in during a run of the tick waits for the next one
  ticking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{ticking_};
  const std::uint64_t generation = generation_;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    // The run serves events: the list may have been stopped or rebuilt meanwhile.
    if (!on_ || generation != generation_) break;
    TScheduleObject& entry = entries_[i];
    if (entry.done || !entry.nextRun) continue;
    const UtcMs now = clock_.Now();
    if (now < *entry.nextRun) continue;
    if (entry.kind == 1) entry.done = true;
    entry.nextRun = NextRunTime(entry.unit, entry.count, now, entry.start, clock_);
    const std::string file = entry.scriptFile;
    run_(file);
  }
}

}  // namespace tw
