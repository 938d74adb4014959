// The schedule's logs: the lines under a fixed locale, which runs are logged, appends from two processes
// that never mix, and the fallback file.
#include "catalogue/schedule_log.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "files/file_text.h"
#include "files/system_folders.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/scratch_folder.h"

namespace tw {
namespace {

class ScheduleLogTest : public test::ScratchFolderTest {
 protected:
  static std::vector<std::string> Lines(const std::string& file) {
    const std::optional<std::string> text = ReadWholeFile(file);
    std::vector<std::string> lines;
    if (text)
      for (std::string_view line : SplitLines(*text)) lines.emplace_back(line);
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

TEST_F(ScheduleLogTest, LinesUnderAFixedLocale) {
  Locale locale;  // m/d/yyyy, h:mm:ss AM/PM, "/" and ":"
  const double now = encodeDateTime({2024, 3, 5, 14, 7, 9, 0});
  EXPECT_EQ(ScheduleStartLine(now, locale), "*** Schedule Start at 03/05/24 2:07:09 PM ***");
  EXPECT_EQ(RunLogLine(now, "/s/Sub/backup.tws", RunEvent::Start, locale),
            "03/05/24   2:07:09 PM backup.tws                     Start");
  EXPECT_EQ(RunLogLine(now, "x.tws", RunEvent::Cancel, locale).substr(22), "x.tws                          Cancel");
}

TEST_F(ScheduleLogTest, OnlyRunsStartedWhileTheScheduleIsOnAndLoggingIsWantedAreLogged) {
  const std::string file = At("SchdLog.txt");
  ScheduleLog log(file, At("fallback.log"), nullptr);
  RunRecords records(log);
  struct Case {
    bool on;
    bool wanted;
    bool finished;
    std::vector<std::string> ends;  // the last word of each line written
  };
  const Case cases[] = {{true, true, true, {"Start", "Finish"}},
                        {true, true, false, {"Start", "Cancel"}},
                        {false, true, true, {}},
                        {true, false, true, {}}};
  for (const Case& c : cases) {
    ::unlink(file.c_str());
    records.Started("/s/a.tws", c.on, c.wanted);
    records.Ended("/s/a.tws", c.finished);
    records.Ended("/s/a.tws", true);  // a second end (no run of its own) is not logged
    std::vector<std::string> ends;
    if (IsRegularFile(file))
      for (const std::string& line : Lines(file)) ends.push_back(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(ends, c.ends) << c.on << c.wanted << c.finished;
  }
}

TEST_F(ScheduleLogTest, TwoProcessesAppendingLeaveWholeLines) {
  const std::string file = At("SchdLog.txt");
  const std::string lineOf[] = {std::string(300, 'a'), std::string(500, 'b')};
  pid_t children[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = ::fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) {
      ScheduleLog log(file, file, nullptr);
      for (int n = 0; n < 1000; ++n) log.WriteScheduleLog(lineOf[i]);
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::vector<std::string> lines = Lines(file);
  ASSERT_EQ(lines.size(), 2000u);
  for (const std::string& line : lines) ASSERT_TRUE(line == lineOf[0] || line == lineOf[1]) << line.size();
}

TEST_F(ScheduleLogTest, AnUnwritableLogFallsBackAndAnUnwritableFallbackIsReportedOnce) {
  std::vector<std::string> reports;
  ScheduleLog log(At("missing/SchdLog.txt"), At("tarnwick.log"), [&](const std::string& r) { reports.push_back(r); });
  log.WriteScheduleLog("one");
  log.WriteScheduleLog("two");
  EXPECT_EQ(Lines(At("tarnwick.log")), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(log.FileName(), At("tarnwick.log"));

  ScheduleLog lost(At("missing/SchdLog.txt"), At("missing/tarnwick.log"),
                   [&](const std::string& r) { reports.push_back(r); });
  lost.WriteScheduleLog("one");
  lost.WriteScheduleLog("two");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("missing/tarnwick.log"), std::string::npos) << reports[0];
}

TEST_F(ScheduleLogTest, TheDebugLogWritesOnlyWhenEnabled) {
  TDebugLog debug(At("SchdDebug.txt"));
  debug.Write("before");
  EXPECT_FALSE(IsRegularFile(At("SchdDebug.txt")));
  debug.SetEnabled(true);
  debug.Write("Name=a.tws", Locale{});
  const std::vector<std::string> lines = Lines(At("SchdDebug.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].ends_with("M: Name=a.tws") && lines[0].find('/') != std::string::npos) << lines[0];
}

}  // namespace
}  // namespace tw
