// The schedule's arithmetic and decisions on a fake clock: when entries come due in every unit and across the
// daylight-saving changes, which headers make entries, and what the tick runs when the schedule is stopped or
// rebuilt during a run.
#include "catalogue/schedule.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "interpreter/scratch_folder.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// The system's zone conversions under a TZ rule of the test's choice, and a "now" the test sets.
class FakeClock : public SystemScheduleClock {
 public:
  UtcMs Now() const override { return now; }
  UtcMs now = 0;
};

class ZoneTest : public ::testing::Test {
 protected:
  explicit ZoneTest(const char* zone = "UTC0") : tz_("TZ", std::string(zone)) { ::tzset(); }
  ~ZoneTest() override { ::tzset(); }
  test::ScopedEnvironment tz_;
  FakeClock clock_;
};

LocalMs At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return LocalMsFromCivil({year, month, day, hour, minute, second, 0});
}

class NextRunTimeTest : public ZoneTest {};

TEST_F(NextRunTimeTest, EveryUnitCountsFromStartAndLiesAfterNow) {
  struct Case {
    ScheduleUnit unit;
    int count;
    LocalMs now;
    LocalMs expected;
  };
  const LocalMs start = At(2024, 1, 10, 10, 0);
  const Case cases[] = {
      // before start: start itself
      {ScheduleUnit::Minute, 1, At(2024, 1, 10, 9, 0), start},
      {ScheduleUnit::Month, 3, At(2023, 12, 1), start},
      // inside a unit, on a boundary (never now itself), far later
      {ScheduleUnit::Minute, 1, At(2024, 1, 10, 10, 0, 30), At(2024, 1, 10, 10, 1)},
      {ScheduleUnit::Minute, 3, At(2024, 1, 10, 10, 0, 30), At(2024, 1, 10, 10, 3)},
      {ScheduleUnit::Minute, 1, At(2024, 1, 10, 10, 5), At(2024, 1, 10, 10, 6)},
      {ScheduleUnit::Minute, 3, At(2024, 1, 10, 10, 5), At(2024, 1, 10, 10, 8)},
      {ScheduleUnit::Minute, 1, start, At(2024, 1, 10, 10, 1)},
      {ScheduleUnit::Minute, 1, At(2031, 5, 3, 7, 44, 59), At(2031, 5, 3, 7, 45)},
      {ScheduleUnit::Hour, 2, At(2024, 1, 10, 13, 30), At(2024, 1, 10, 15, 0)},
      {ScheduleUnit::Hour, 1, At(2024, 1, 10, 13, 0), At(2024, 1, 10, 14, 0)},
      {ScheduleUnit::Hour, 3, At(2024, 3, 1, 0, 0, 1), At(2024, 3, 1, 3, 0)},
      {ScheduleUnit::Day, 1, At(2024, 1, 12, 9, 0), At(2024, 1, 12, 10, 0)},
      {ScheduleUnit::Day, 1, At(2024, 1, 12, 10, 0), At(2024, 1, 13, 10, 0)},
      {ScheduleUnit::Day, 3, At(2024, 1, 12, 9, 0), At(2024, 1, 14, 10, 0)},
      {ScheduleUnit::Day, 1, At(2099, 7, 1, 23, 0), At(2099, 7, 2, 10, 0)},
      {ScheduleUnit::Week, 1, At(2024, 1, 17, 10, 0), At(2024, 1, 24, 10, 0)},
      {ScheduleUnit::Week, 3, At(2024, 1, 20), At(2024, 2, 7, 10, 0)},
      {ScheduleUnit::Month, 1, At(2024, 1, 10, 10, 0), At(2024, 2, 10, 10, 0)},
      {ScheduleUnit::Month, 1, At(2024, 2, 10, 9, 0), At(2024, 2, 10, 10, 0)},
      {ScheduleUnit::Month, 3, At(2024, 2, 10, 9, 0), At(2024, 4, 10, 10, 0)},
      {ScheduleUnit::Month, 1, At(2030, 6, 15), At(2030, 7, 10, 10, 0)},
  };
  for (const Case& c : cases) {
    const auto next = NextRunTime(c.unit, c.count, c.now, start, clock_);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, c.expected) << "unit " << static_cast<int>(c.unit) << " count " << c.count << " now "
                                 << HeaderDateTimeText(DateTimeFromLocalMs(c.now));
  }
}

TEST_F(NextRunTimeTest, MonthsKeepStartsDayCutToTheMonthsLastDay) {
  struct Case {
    int year;
    int day;
    int february;
  };
  const Case cases[] = {{2023, 29, 28}, {2023, 30, 28}, {2023, 31, 28}, {2024, 29, 29}, {2024, 31, 29},
                        {2000, 30, 29}, {2100, 29, 28}, {2100, 31, 28}};
  for (const Case& c : cases) {
    const LocalMs start = At(c.year, 1, c.day, 8, 15);
    const auto february = NextRunTime(ScheduleUnit::Month, 1, At(c.year, 1, 31, 12, 0), start, clock_);
    ASSERT_TRUE(february);
    EXPECT_EQ(*february, At(c.year, 2, c.february, 8, 15)) << c.year << "-01-" << c.day;
    // The next month takes start's day again: no drift to the 28th for good.
    EXPECT_EQ(NextRunTime(ScheduleUnit::Month, 1, *february, start, clock_), At(c.year, 3, c.day, 8, 15));
  }
  // The 31st through the 30-day months, each run seen from the moment it ran.
  const LocalMs start = At(2024, 1, 31, 23, 0);
  std::vector<LocalMs> runs;
  UtcMs now = start;
  for (int i = 0; i < 4; ++i) runs.push_back(now = *NextRunTime(ScheduleUnit::Month, 1, now, start, clock_));
  EXPECT_EQ(runs, (std::vector<LocalMs>{At(2024, 2, 29, 23), At(2024, 3, 31, 23), At(2024, 4, 30, 23),
                                        At(2024, 5, 31, 23)}));
}

TEST_F(NextRunTimeTest, ATimePastTheYear9999IsNeverDue) {
  const LocalMs start = At(2024, 1, 10);
  const UtcMs now = At(2024, 6, 1);
  for (ScheduleUnit unit : {ScheduleUnit::Hour, ScheduleUnit::Day, ScheduleUnit::Week, ScheduleUnit::Month})
    EXPECT_FALSE(NextRunTime(unit, INT_MAX, now, start, clock_)) << static_cast<int>(unit);
  EXPECT_FALSE(NextRunTime(ScheduleUnit::Day, 1, At(9999, 12, 31, 3), At(2024, 1, 10, 2), clock_));
  EXPECT_EQ(NextRunTime(ScheduleUnit::Minute, INT_MAX, now, start, clock_),
            now + static_cast<std::int64_t>(INT_MAX) * 60'000);
}

class DaylightSavingTest : public ZoneTest {
 protected:
  DaylightSavingTest() : ZoneTest(kCentralEurope) {}
};

TEST_F(DaylightSavingTest, FiveMinutesStayFiveMinutesAcrossBothChanges) {
  for (int month : {3, 10}) {
    const LocalMs start = At(2024, month, 26, 0, 2);
    UtcMs run = clock_.ToUtc(start);
    for (int i = 0; i < 12 * 24 * 7; ++i) {
      const UtcMs next = *NextRunTime(ScheduleUnit::Minute, 5, run, start, clock_);
      ASSERT_EQ(next - run, 300'000) << "after " << HeaderDateTimeText(DateTimeFromLocalMs(clock_.ToLocal(run)));
      run = next;
    }
  }
}

TEST_F(DaylightSavingTest, ADaily0230RunsOnceOnEachChangeDay) {
  // Ticks every ten seconds over two days around each change.
  for (const auto& [from, changeDay] : {std::pair{At(2024, 3, 30, 12), 31}, std::pair{At(2024, 10, 26, 12), 27}}) {
    const int month = changeDay == 31 ? 3 : 10;
    std::vector<CivilDateTime> runs;
    Scheduler scheduler(clock_, [&](const std::string&) { runs.push_back(CivilFromLocalMs(clock_.ToLocal(clock_.now))); });
    clock_.now = clock_.ToUtc(from);
    TScriptHeader header;
    header.enableschd = true;
    header.runmode = 2;
    header.schddwm = "day";
    header.schddatetime = DateTimeFromLocalMs(At(2024, 1, 5, 2, 30));
    std::string why;
    scheduler.Start({*MakeScheduleEntry(header, "daily.tws", clock_.now, clock_, why)});
    for (const UtcMs end = clock_.now + 2 * kMsPerDay; clock_.now < end; clock_.now += 10'000) scheduler.Tick();
    ASSERT_EQ(runs.size(), 2u) << month;
    EXPECT_EQ(runs[0].day, changeDay);
    // The spring change skips 02:30: the run comes at the first tick after the gap.
    EXPECT_EQ(runs[0].hour * 100 + runs[0].minute, changeDay == 31 ? 300 : 230);
    EXPECT_EQ(runs[1].day, changeDay == 31 ? 1 : 28);
    EXPECT_EQ(runs[1].hour * 100 + runs[1].minute, 230);
  }
}

class ScheduleBuildTest : public ZoneTest {};

TEST_F(ScheduleBuildTest, HeadersMakeEntriesOrSayWhyNot) {
  clock_.now = At(2024, 6, 1, 12, 0);
  struct Case {
    const char* name;
    bool enabled;
    int runmode;
    int count;
    const char* unit;
    LocalMs start;
    bool taken;
    int expectedCount;
    const char* why;  // part of the reason; "" for none
  };
  const Case cases[] = {
      {"once ahead", true, 1, 1, "Hour", At(2024, 6, 1, 12, 0, 20), true, 1, ""},
      {"once past", true, 1, 1, "Hour", At(2024, 6, 1, 11, 59), false, 0, "start has passed"},
      {"once, any unit", true, 1, 1, "fortnight", At(2024, 6, 2), true, 1, ""},
      {"runmode 0", true, 0, 1, "Hour", At(2024, 6, 2), false, 0, "runmode 0"},
      {"runmode 3", true, 3, 1, "Hour", At(2024, 6, 2), false, 0, "runmode 3"},
      {"count 0", true, 2, 0, "Day", At(2024, 5, 1, 13, 0), true, 1, ""},
      {"count -2", true, 2, -2, "Day", At(2024, 5, 1, 13, 0), true, 1, ""},
      {"mixed case", true, 2, 1, "Week", At(2024, 5, 1, 13, 0), true, 1, ""},
      {"unknown unit", true, 2, 1, "Fortnight", At(2024, 5, 1), false, 0, "unknown unit \"Fortnight\""},
      {"not enabled", false, 2, 1, "Day", At(2024, 5, 1), false, 0, ""},
  };
  for (const Case& c : cases) {
    TScriptHeader header;
    header.enableschd = c.enabled;
    header.runmode = c.runmode;
    header.schdcount = c.count;
    header.schddwm = c.unit;
    header.schddatetime = DateTimeFromLocalMs(c.start);
    std::string why;
    const auto entry = MakeScheduleEntry(header, "/s/x.tws", clock_.now, clock_, why);
    EXPECT_EQ(entry.has_value(), c.taken) << c.name;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
    if (std::string(c.why).empty()) {
      EXPECT_EQ(why, "") << c.name;
    }
    if (!entry) continue;
    EXPECT_EQ(entry->count, c.expectedCount) << c.name;
    EXPECT_FALSE(entry->done);
    EXPECT_GT(*entry->nextRun, clock_.now) << c.name;
  }
  // Every day from 1 May 13:00, built at 1 June 12:00: today 13:00; weekly (Wednesdays): Wednesday 5 June.
  TScriptHeader header;
  header.enableschd = true;
  header.runmode = 2;
  header.schddwm = "Week";
  header.schddatetime = DateTimeFromLocalMs(At(2024, 5, 1, 13, 0));
  std::string why;
  EXPECT_EQ(MakeScheduleEntry(header, "w.tws", clock_.now, clock_, why)->nextRun, At(2024, 6, 5, 13, 0));
  header.schddwm = "day";
  EXPECT_EQ(MakeScheduleEntry(header, "d.tws", clock_.now, clock_, why)->nextRun, At(2024, 6, 1, 13, 0));
}

class ScheduleCatalogueTest : public test::ScratchFolderTest {
 protected:
  test::ScopedEnvironment tz_{"TZ", std::string("UTC0")};
};

TEST_F(ScheduleCatalogueTest, TheBuildWalksEveryFolderAndLogsWhatItMadeAndSkipped) {
  ::tzset();
  const std::string root = At("Scripts/");
  fs::create_directories(root + "Sub");
  const std::string every = "#enableschd: y\r\n#runmode: 2\r\n#schddwm: Minute\r\n#schddatetime: 06/01/24 11:00\r\n";
  Write(root + "a.tws", "#description: A\r\n" + every + "print 1\r\n");
  Write(root + "Sub/b.tws", "#description: B\r\n#enableschd: y\r\n#runmode: 1\r\n#schddatetime: 06/02/24\r\nx\r\n");
  Write(root + "nodesc.tws", every + "print 1\r\n");
  Write(root + "odd.tws", "#description: Odd\r\n#enableschd: y\r\n#runmode: 2\r\n#schddwm: Year\r\nx\r\n");
  Write(root + "bad.tws", "#description: Bad\r\n#schdcount: many\r\nx\r\n");
  FakeClock clock;
  clock.now = LocalMsFromCivil({2024, 6, 1, 12, 0, 30, 0});
  std::vector<std::string> debug;
  const auto entries = BuildSchedule(ReadFolderTree(root), root, clock,
                                     [&](const std::string& line) { debug.push_back(line); });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].scriptFile, root + "a.tws");
  EXPECT_EQ(*entries[0].nextRun, LocalMsFromCivil({2024, 6, 1, 12, 1, 0, 0}));
  EXPECT_EQ(entries[1].scriptFile, root + "Sub/b.tws");
  std::string all;
  for (const auto& line : debug) all += line + "\n";
  EXPECT_NE(all.find("Name=a.tws           Type=2 Interval=1 StartDate="), std::string::npos) << all;
  EXPECT_NE(all.find("Not scheduled: bad.tws"), std::string::npos) << all;
  EXPECT_NE(all.find("Not scheduled: odd.tws: unknown unit \"Year\""), std::string::npos) << all;
  EXPECT_EQ(all.find("nodesc"), std::string::npos) << all;
}

// The tick with a runner that records and can act during a run.
class TickTest : public ZoneTest {
 protected:
  TickTest() {
    clock_.now = At(2024, 6, 1, 12, 0);
  }
  TScheduleObject Every(const std::string& file, ScheduleUnit unit, LocalMs next, LocalMs start = 0) {
    TScheduleObject entry;
    entry.kind = 2;
    entry.unit = unit;
    entry.start = start ? start : next;
    entry.nextRun = next;
    entry.scriptFile = file;
    return entry;
  }
  std::vector<std::string> runs_;
  std::function<void(const std::string&)> during_;
  Scheduler scheduler_{clock_, [this](const std::string& file) {
                         runs_.push_back(file);
                         if (during_) during_(file);
                       }};
};

TEST_F(TickTest, DueEntriesRunInListOrderEachOnce) {
  TScheduleObject once = Every("once", ScheduleUnit::Hour, clock_.now - 5000);
  once.kind = 1;
  scheduler_.Start({Every("a", ScheduleUnit::Minute, clock_.now - 1000), Every("later", ScheduleUnit::Minute, clock_.now + 1000),
                    once, Every("b", ScheduleUnit::Hour, clock_.now)});
  scheduler_.Tick();
  scheduler_.Tick();
  EXPECT_EQ(runs_, (std::vector<std::string>{"a", "once", "b"}));
  EXPECT_TRUE(scheduler_.Entries()[2].done);
  for (const auto& entry : scheduler_.Entries()) EXPECT_GT(*entry.nextRun, clock_.now) << entry.scriptFile;
}

TEST_F(TickTest, AStopOrARestartDuringARunLeavesTheRestUntouched) {
  for (bool restart : {false, true}) {
    runs_.clear();
    scheduler_.Start({Every("first", ScheduleUnit::Minute, clock_.now), Every("second", ScheduleUnit::Minute, clock_.now)});
    during_ = [&](const std::string&) {
      if (restart)
        scheduler_.Start({Every("new", ScheduleUnit::Minute, clock_.now)});  // frees the list being walked
      else
        scheduler_.Stop();
    };
    scheduler_.Tick();
    during_ = nullptr;
    EXPECT_EQ(runs_, std::vector<std::string>{"first"});
    EXPECT_EQ(scheduler_.On(), restart);
    const auto& rest = scheduler_.Entries().back();
    EXPECT_EQ(*rest.nextRun, clock_.now) << "restart " << restart;
  }
}

TEST_F(TickTest, AClockJumpGivesOneRunAndALongRunNeverOverlapsTheNext) {
  const LocalMs start = clock_.now;
  scheduler_.Start({Every("five", ScheduleUnit::Minute, start + 300'000, start)});
  scheduler_.Start({[&] {
    auto entry = scheduler_.Entries()[0];
    entry.count = 5;
    return entry;
  }()});
  clock_.now += 3 * 3'600'000 + 1234;
  scheduler_.Tick();
  scheduler_.Tick();
  EXPECT_EQ(runs_.size(), 1u);
  EXPECT_EQ(*scheduler_.Entries()[0].nextRun, start + 3 * 3'600'000 + 300'000);

  // A run of seven minutes: a tick that comes in meanwhile runs nothing; the next one runs it once.
  during_ = [&](const std::string&) {
    clock_.now += 7 * 60'000;
    scheduler_.Tick();
  };
  clock_.now = *scheduler_.Entries()[0].nextRun;
  scheduler_.Tick();
  during_ = nullptr;
  EXPECT_EQ(runs_.size(), 2u);
  scheduler_.Tick();
  EXPECT_EQ(runs_.size(), 3u);
}

}  // namespace
}  // namespace tw
