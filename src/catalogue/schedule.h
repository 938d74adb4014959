#pragma once
// The schedule: scripts whose header asks for it run once at a start time or every N minutes, hours,
// days, weeks or months from it. Entries are built from the catalogue when the schedule starts; a timer looks
// at them every ten seconds and runs the due ones one after another.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/folder_tree.h"
#include "catalogue/schedule_clock.h"
#include "catalogue/script_header.h"
#include "catalogue/script_listing.h"

namespace tw {

enum class ScheduleUnit { Minute, Hour, Day, Week, Month };

// "minute", "hour", "day", "week", "month" in any letter case; nothing for anything else.
std::optional<ScheduleUnit> ParseScheduleUnit(const std::string& text);

// When a script scheduled every `count` units from `start` is next due after `now`: `start` itself while it
// lies ahead, else `count` units after the last whole unit that has passed since start, always later than
// `now`. Minutes and hours count elapsed time; days, weeks and months keep start's local time of day, and
// months start's day of month, cut to the month's last day. Nothing when that time lies past the year 9999.
std::optional<UtcMs> NextRunTime(ScheduleUnit unit, std::int32_t count, UtcMs now, LocalMs start,
                                 const ScheduleClock& clock);

struct TScheduleObject {
  int kind = 1;  // 1 = once, 2 = every
  std::int32_t count = 1;
  ScheduleUnit unit = ScheduleUnit::Hour;
  LocalMs start = 0;
  std::optional<UtcMs> nextRun;  // nothing: never due again
  bool done = false;             // a once-entry that has run
  std::string scriptFile;
};

// The entry a script's header makes, or nothing with the reason in `why` (empty when the header simply
// asks for no schedule).
std::optional<TScheduleObject> MakeScheduleEntry(const TScriptHeader& header, const std::string& scriptFile,
                                                 UtcMs now, const ScheduleClock& clock, std::string& why);

// The debug-log line of a new entry.
std::string ScheduleEntryLine(const TScheduleObject& entry, const ScheduleClock& clock);

// The entries of every listed script of the catalogue, folder by folder in tree order. Every entry made, every
// script left out for a reason and every header that cannot be read gives a line to `debug`.
std::vector<TScheduleObject> BuildSchedule(const FolderNode& root, const std::string& scriptPath,
                                           const ScheduleClock& clock,
                                           const std::function<void(const std::string&)>& debug);

// On or off, the entries, and the tick's decisions. Runs go through `run`, which returns when the run has
// ended and may serve events meanwhile (so Start and Stop may come in during it).
class Scheduler {
 public:
  Scheduler(const ScheduleClock& clock, std::function<void(const std::string& file)> run)
      : clock_(clock), run_(std::move(run)) {}

  bool On() const { return on_; }
  // On, with a new list (a restart when it was on already).
  void Start(std::vector<TScheduleObject> entries);
  void Stop() { on_ = false; }
  const std::vector<TScheduleObject>& Entries() const { return entries_; }

  // Runs every due entry in list order, each once, and sets its next run. Ends at once when the schedule is
  // stopped or rebuilt during a run, leaving the rest untouched.
  void Tick();

 private:
  const ScheduleClock& clock_;
  std::function<void(const std::string&)> run_;
  bool on_ = false;
  bool ticking_ = false;
  std::uint64_t generation_ = 0;
  std::vector<TScheduleObject> entries_;
};

}  // namespace tw
