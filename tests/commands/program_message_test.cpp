// appmessage on the fake desktop: which window a text goes to, and how long the sender waits for it.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::WindowId;
using port::fake::ActionLog;
using port::fake::FakeDesktop;
using test::RecordingHost;
using test::RunOnFakeDesktop;

// Topmost first: an unmarked "Tarnwick" window, a marked one of class Tarnwick, the marked main window
// (class TMainForm); all three have the instance "tarnwick".
struct Receivers {
  explicit Receivers(FakeDesktop& desktop) {
    auto& windows = desktop.fakeWindows();
    main = windows.add({.title = "Tarnwick", .windowClass = {"tarnwick", "TMainForm"}});
    second = windows.add({.title = "Tarnwick", .windowClass = {"tarnwick", "Tarnwick"}});
    unmarked = windows.add({.title = "Tarnwick", .windowClass = {"tarnwick", "Tarnwick"}});
    desktop.fakeProgramMessages().markReceiver(main);
    desktop.fakeProgramMessages().markReceiver(second);
  }
  WindowId second, main, unmarked;
};

TEST(AppMessage, GoesToTheFirstMarkedWindowNamedByClassOrElseByTitle) {
  struct Case {
    const char* script;
    ActionLog log;
  };
  const Case cases[] = {
      {"x = appmessage(\"\", \"TMAINFORM\", \"a.tws\")", {"message Tarnwick: a.tws"}},
      {"x = appmessage(\"\", \"TARNWICK\", \"b.tws\")", {"message Tarnwick: b.tws"}},  // the instance half
      {"x = appmessage(\"tARNWICK\", \"\", \"c.tws\")", {"message Tarnwick: c.tws"}},
      {"x = appmessage(\"Tarnwick\", \"Other\", \"d.tws\")", {}},  // a class given: the title is not looked at
      {"x = appmessage(\"Tarn\", \"\", \"e.tws\")", {}},           // the whole title
      {"x = appmessage(\"\", \"\", \"f.tws\")", {}},
  };
  for (const Case& c : cases) {
    FakeDesktop desktop;
    Receivers r(desktop);
    RecordingHost host;
    EXPECT_TRUE(RunOnFakeDesktop(c.script, desktop, host).Errors.empty()) << c.script;
    EXPECT_EQ(desktop.log(), c.log) << c.script;
    EXPECT_TRUE(desktop.fakeProgramMessages().received(r.unmarked).empty());
  }

  FakeDesktop desktop;
  Receivers r(desktop);
  RecordingHost host;
  // Every answer is 1; of two marked windows that match, the one listed first gets the text.
  EXPECT_EQ(RunOnFakeDesktop("print appmessage(\"\", \"tmainform\", \"1\"); appmessage(\"\", \"tarnwick\", \"2\"); "
                             "appmessage(\"TARNWICK\", \"\", \"3\")",
                             desktop, host)
                .Output,
            "111\n");
  EXPECT_EQ(desktop.fakeProgramMessages().received(r.main), std::vector<std::string>{"1"});
  EXPECT_EQ(desktop.fakeProgramMessages().received(r.second), (std::vector<std::string>{"2", "3"}));
}

TEST(AppMessage, CheckModeSendsNothingAndNoDisplayIsAnError) {
  FakeDesktop desktop;
  Receivers r(desktop);
  RecordingHost host;
  EXPECT_TRUE(RunOnFakeDesktop("x = appmessage(\"Tarnwick\", \"\", \"a\")", desktop, host, true).Errors.empty());
  EXPECT_TRUE(desktop.log().empty());

  desktop.removeDisplay("DISPLAY is not set");
  RecordingHost noDisplay;
  EXPECT_EQ(RunOnFakeDesktop("print appmessage(\"Tarnwick\", \"\", \"a\")", desktop, noDisplay).Errors,
            std::vector<std::string>{test::ErrorAt("no display: DISPLAY is not set", 1)});
}

TEST(AppMessage, WaitsForAReceiverThatIsSlowToTakeUntilItsWindowGoes) {
  FakeDesktop desktop;
  Receivers r(desktop);
  desktop.fakeProgramMessages().markReceiver(r.main, false);
  RecordingHost host;
  int pumps = 0;
  // The window goes while the sender waits: the wait ends then, long before its 5 seconds.
  host.OnPump = [&] {
    if (++pumps == 3) desktop.fakeWindows().remove(r.main);
  };
  EXPECT_EQ(RunOnFakeDesktop("print appmessage(\"\", \"TMainForm\", \"a.tws\")", desktop, host).Output, "1\n");
  EXPECT_GE(pumps, 3);
  EXPECT_FALSE(desktop.fakeWindows().exists(r.main));
}

}  // namespace
}  // namespace tw
