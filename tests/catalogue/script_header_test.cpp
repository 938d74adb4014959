// Script headers: reading what people and other locales wrote, writing the thirteen lines, saving safely.

#include "catalogue/script_header.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "interpreter/builtin_test_support.h"
#include "interpreter/scratch_folder.h"

namespace tw {
namespace {

constexpr double kNow = 45000.5;  // what a reset header starts from in the tables below

Locale German() {
  return Locale::fromConventions({",", "%d.%m.%Y", "%T", "%I:%M:%S %p", "", ""});
}
Locale American() {
  return Locale::fromConventions({".", "%m/%d/%Y", "%r", "%I:%M:%S %p", "AM", "PM"});
}

TScriptHeader Defaults() {
  TScriptHeader header;
  ResetScriptHeader(header, kNow);
  return header;
}

TScriptHeader Read(std::string_view text) {
  TScriptHeader header;
  ReadScriptHeaderText(text, header);
  header.schddatetime = kNow;  // the tables compare everything else
  return header;
}

TEST(ScriptHeader, ReadsTheFieldsAsTheyAreWritten) {
  struct Case {
    const char* name;
    const char* text;
    TScriptHeader (*expected)();
  };
  const Case cases[] = {
      {"body line first gives defaults", "print 1\n#description: late\n", [] { return Defaults(); }},
      {"capital Y reads false", "#autoclose: Y\n#enableschd:yes\n", [] {
         TScriptHeader h = Defaults();
         h.autoclose = false;
         h.enableschd = true;
         return h;
       }},
      {"empty value reads false", "#autoclose:\n", [] {
         TScriptHeader h = Defaults();
         h.autoclose = false;
         return h;
       }},
      {"blank lines are passed over, a body line ends the header",
       "\n#title:  Untitled - Editor \n\n#autoclose: n\nx = 1\n#description: dropped\n", [] {
         TScriptHeader h = Defaults();
         h.title = "Untitled - Editor";
         h.autoclose = false;
         return h;
       }},
      {"capitals and longer keys name the field; the later line wins; others are ignored",
       "#Description: first\n#HOTKEYS: Ctrl+F5\n#descriptionX: second\n#xtitle: no\n# title: no\n#\n", [] {
         TScriptHeader h = Defaults();
         h.description = "second";
         h.hotkey = "Ctrl+F5";
         return h;
       }},
      {"numbers with leading blanks or none", "#runmode:   2\n#schdcount:15\n#timeout: -3\n", [] {
         TScriptHeader h = Defaults();
         h.runmode = 2;
         h.schdcount = 15;
         h.timeout = -3;
         return h;
       }},
      {"colons after the first belong to the value", "#command: /usr/bin/env a:b\n", [] {
         TScriptHeader h = Defaults();
         h.command = "/usr/bin/env a:b";
         return h;
       }},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.text), c.expected()) << c.name;
}

TEST(ScriptHeader, EveryLineEndReadsTheSame) {
  const std::string lines[] = {"#runmode: 2", "#description: Backup", "", "#hotkey: Alt+B", "send \"x\""};
  for (const char* end : {"\r\n", "\n", "\r"}) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    TScriptHeader header = Read(text);
    EXPECT_EQ(header.runmode, 2) << "line end " << static_cast<int>(end[0]);
    EXPECT_EQ(header.description, "Backup");
    EXPECT_EQ(header.hotkey, "Alt+B");
  }
}

TEST(ScriptHeader, ANumberFieldWithTrailingTextFailsWithItsValue) {
  const std::pair<const char*, const char*> cases[] = {
      {"#runmode: 2 \n", "' 2 ' is not a valid integer value"},
      {"#schdcount: ten\n", "' ten' is not a valid integer value"},
      {"#timeout:\n", "'' is not a valid integer value"},
      {"#runmode: 99999999999\n", "' 99999999999' is not a valid integer value"},
  };
  for (const auto& [text, message] : cases) {
    TScriptHeader header;
    try {
      ReadScriptHeaderText(text, header);
      ADD_FAILURE() << text << " was read";
    } catch (const HeaderError& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
}

TEST(ScriptHeader, StartDateTimeTextAcrossLocales) {
  const double afternoon = encodeDateTime({2024, 3, 10, 14, 0, 0, 0});
  const double midnight = encodeDateTime({2024, 3, 10, 0, 0, 0, 0});
  EXPECT_EQ(HeaderDateTimeText(afternoon, American()), "03/10/24 02:00:00 PM");
  EXPECT_EQ(HeaderDateTimeText(afternoon, German()), "03.10.24 14:00:00");
  EXPECT_EQ(HeaderDateTimeText(midnight, German()), "03.10.24");
  EXPECT_EQ(HeaderDateTimeText(midnight + 0.5 / 86400, American()), "03/10/24");  // milliseconds do not count

  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"03/10/24 2:00:00 PM", afternoon}, {"03.10.24 14:00:00", afternoon}, {"03-10-24 14:00", afternoon},
      {" 03/10/2024  02:00:00 pm ", afternoon}, {"3/10/24", midnight},   {"03/10/24 12:00:00 AM", midnight},
      {"02/30/24", std::nullopt},             {"03/10/24 25:00:00", std::nullopt},
      {"10.03.2024.", std::nullopt},          {"03/10/2414:00", std::nullopt},
      {"", std::nullopt},                     {"tomorrow", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<double> read = ParseHeaderDateTime(c.text, 2024, American());
    ASSERT_EQ(read.has_value(), c.value.has_value()) << c.text;
    if (read) {
      EXPECT_NEAR(*read, *c.value, 1e-9) << c.text;
    }
  }
  // Two-digit years lie from 50 years before to 49 after the current year.
  EXPECT_EQ(decodeDateTime(*ParseHeaderDateTime("01/01/73", 2024, American())).year, 2073);
  EXPECT_EQ(decodeDateTime(*ParseHeaderDateTime("01/01/74", 2024, American())).year, 1974);
  EXPECT_EQ(decodeDateTime(*ParseHeaderDateTime("01/01/75", 2025, American())).year, 1975);
  EXPECT_EQ(decodeDateTime(*ParseHeaderDateTime("01/01/60", 2025, American())).year, 2060);
}

TEST(ScriptHeader, AStartThatCannotBeReadSwitchesTheScheduleOff) {
  TScriptHeader header;
  const double before = nowAsDateTime();
  ReadScriptHeaderText("#enableschd: y\n#schddatetime: next week\n", header);
  EXPECT_FALSE(header.enableschd);
  EXPECT_GE(header.schddatetime, before);
}

class ScriptFileTest : public test::ScratchFolderTest {};

TEST_F(ScriptFileTest, LoadingAndSavingKeepsTheBodyAndWritesTheThirteenLines) {
  Write("job.tws",
        "# my own note\r\n"
        "#description:  Nightly job\r\n"
        "#autoclose: n\r\n"
        "#schddatetime: 01/02/24\r\n"
        "\r\n"
        "print 1\n"
        "  # indented stays\r"
        "#dropped below\r\n"
        "print 2");
  std::vector<std::string> body;
  TScriptHeader header;
  LoadScriptFile(At("job.tws"), body, header);
  EXPECT_EQ(body, (std::vector<std::string>{"", "print 1", "  # indented stays", "print 2"}));
  SaveScriptFile(At("job.tws"), header, body);
  EXPECT_EQ(Read("job.tws"),
            "#command: \r\n#path: \r\n#title: \r\n#autoclose: n\r\n#enableschd: n\r\n#runmode: 1\r\n"
            "#apptype: Windows\r\n#schddatetime: 01/02/24\r\n#schdcount: 1\r\n#schddwm: Hour\r\n"
            "#description: Nightly job\r\n#timeout: 0\r\n#hotkey: \r\n"
            "\r\nprint 1\r\n  # indented stays\r\nprint 2\r\n");
  TScriptHeader again;
  ReadScriptHeader(At("job.tws"), again);
  EXPECT_EQ(again, header);
}

TEST_F(ScriptFileTest, AnEmptyDescriptionBecomesTheNameBeforeTheFirstDot) {
  TScriptHeader header;
  ResetScriptHeader(header);
  header.description = "   ";
  SaveScriptFile(At(" report.v2.tws"), header, {});
  EXPECT_EQ(header.description, "report");
}

TEST_F(ScriptFileTest, AHeaderWrittenUnderOneLocaleReadsUnderAnother) {
  TScriptHeader header;
  ResetScriptHeader(header);
  header.enableschd = true;
  header.schddatetime = encodeDateTime({2024, 10, 3, 14, 30, 5, 0});
  {
    test::ScopedLocale german(German());
    SaveScriptFile(At("de.tws"), header, {"print 1"});
  }
  test::ScopedLocale american(American());
  TScriptHeader read;
  ReadScriptHeader(At("de.tws"), read);
  EXPECT_TRUE(read.enableschd);
  EXPECT_EQ(read, header);
}

TEST_F(ScriptFileTest, AFailedSaveLeavesTheOldFileWhole) {
  const std::string old = "#description: Old\r\nprint \"old\"\r\n";
  Write("keep.tws", old);
  TScriptHeader header;
  ResetScriptHeader(header);
  const std::vector<std::string> body(2000, std::string(100, 'x'));
  // The file size limit makes the write fail part-way, as a full disk would.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(SaveScriptFile(At("keep.tws"), header, body), std::runtime_error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(Read("keep.tws"), old);
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.tws"}));
}

TEST_F(ScriptFileTest, AMissingFileIsAHeaderError) {
  TScriptHeader header;
  std::vector<std::string> body;
  EXPECT_THROW(ReadScriptHeader(At("missing.tws"), header), HeaderError);
  EXPECT_THROW(LoadScriptFile(At("missing.tws"), body, header), HeaderError);
}

}  // namespace
}  // namespace tw
