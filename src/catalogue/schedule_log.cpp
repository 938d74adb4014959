#include "catalogue/schedule_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "interpreter/locale/datetime.h"

namespace tw {
namespace {

std::string DateText(double now, const Locale& locale) { return formatDateTime("mm/dd/yy", now, locale); }
std::string TimeText(double now, const Locale& locale) { return formatDateTime(locale.longTimeFormat, now, locale); }

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool AppendLogLine(const std::string& fileName, const std::string& line) {
  const int file = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return false;
  const std::string whole = line + "\r\n";
  ssize_t written;
  do {
    written = ::write(file, whole.data(), whole.size());
  } while (written < 0 && errno == EINTR);
  const int writeError = errno;
  ::close(file);
  if (written != static_cast<ssize_t>(whole.size())) {
    errno = written < 0 ? writeError : EIO;
    return false;
  }
  return true;
}

void ScheduleLog::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
  broken_ = false;
}

void ScheduleLog::WriteScheduleLog(const std::string& line) {
  if (broken_) return;
  if (AppendLogLine(fileName_, line)) return;
  if (fileName_ != fallbackName_) {
    fileName_ = fallbackName_;
    if (AppendLogLine(fileName_, line)) return;
  }
  broken_ = true;
  if (failed_) failed_("Cannot write the schedule log " + fileName_ + ": " + std::strerror(errno));
}

void TDebugLog::Write(const std::string& message, const Locale& locale) {
  if (!enabled_) return;
  const double now = nowAsDateTime();
  AppendLogLine(fileName_, formatDateTime(locale.shortDateFormat + " " + locale.longTimeFormat, now, locale) +
                               ": " + message);
}

std::string ScheduleStartLine(double now, const Locale& locale) {
  return "*** Schedule Start at " + DateText(now, locale) + " " + TimeText(now, locale) + " ***";
}

std::string RunLogLine(double now, const std::string& scriptFile, RunEvent event, const Locale& locale) {
  const char* what = event == RunEvent::Start ? "Start" : event == RunEvent::Finish ? "Finish" : "Cancel";
  char line[1024];
  std::snprintf(line, sizeof line, "%-10s %-10s %-30s %s", DateText(now, locale).c_str(),
                TimeText(now, locale).c_str(), BaseName(scriptFile).c_str(), what);
  return line;
}

void RunRecords::Started(const std::string& scriptFile, bool scheduleOn, bool logSchedule) {
  logged_ = scheduleOn && logSchedule;
  if (logged_) log_.WriteScheduleLog(RunLogLine(nowAsDateTime(), scriptFile, RunEvent::Start));
}

void RunRecords::Ended(const std::string& scriptFile, bool finished) {
  if (!logged_) return;
  logged_ = false;
  log_.WriteScheduleLog(RunLogLine(nowAsDateTime(), scriptFile, finished ? RunEvent::Finish : RunEvent::Cancel));
}

}  // namespace tw
