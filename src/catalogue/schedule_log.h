#pragma once
// The schedule's two logs. The user log (SchdLog.txt) has a line when the schedule starts and one at the start
// and end of every run while the schedule is on; the debug log has a line for every entry the build made or
// left out. Logs are appended to, never replaced: each line is one write() on a file opened with O_APPEND, so
// the lines of two processes never mix.

#include <functional>
#include <string>

#include "interpreter/locale/locale.h"

namespace tw {

// Appends `line` and CR LF as one write, creating the file (0644) when missing. False when the file cannot be
// opened or the line not written whole; errno tells why.
bool AppendLogLine(const std::string& fileName, const std::string& line);

// The user log with its fallback: when the file cannot be written, the fallback file takes over until the
// program ends (the setting is not rewritten). When the fallback cannot be written either, `failed` hears of
// it once and the log is left alone from then on: unattended runs never stop at an error.
class ScheduleLog {
 public:
  ScheduleLog(std::string fileName, std::string fallbackName, std::function<void(const std::string&)> failed)
      : fileName_(std::move(fileName)), fallbackName_(std::move(fallbackName)), failed_(std::move(failed)) {}
  // A new name from the options: tried again, also after a failure.
  void SetFileName(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }
  void WriteScheduleLog(const std::string& line);

 private:
  std::string fileName_;
  std::string fallbackName_;
  std::function<void(const std::string&)> failed_;
  bool broken_ = false;
};

class TDebugLog {
 public:
  explicit TDebugLog(std::string fileName = "DebugLog.txt") : fileName_(std::move(fileName)) {}
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Enabled() const { return enabled_; }
  // When enabled: "<date-time>: <message>". A failure to write is passed over (the debug log helps, it never
  // stops the schedule).
  void Write(const std::string& message, const Locale& locale = currentLocale());

 private:
  std::string fileName_;
  bool enabled_ = false;
};

// "*** Schedule Start at <date> <time> ***".
std::string ScheduleStartLine(double now, const Locale& locale = currentLocale());

enum class RunEvent { Start, Finish, Cancel };
// "<date> <time> <file name> Start|Finish|Cancel", the first three in columns of 10, 10 and 30.
std::string RunLogLine(double now, const std::string& scriptFile, RunEvent event,
                       const Locale& locale = currentLocale());

// Which runs reach the log: every run that starts while the schedule is on and logging is wanted, whatever
// started it; its end is logged when its start was.
class RunRecords {
 public:
  explicit RunRecords(ScheduleLog& log) : log_(log) {}
  void Started(const std::string& scriptFile, bool scheduleOn, bool logSchedule);
  void Ended(const std::string& scriptFile, bool finished);

 private:
  ScheduleLog& log_;
  bool logged_ = false;
};

}  // namespace tw
