// The recorder on a real X server: what xdotool types into an xterm is recorded, and the recording's SEND
// lines, played by the interpreter into a second xterm, give that xterm the very same bytes, on a US and a
// German keyboard. Our own send is never recorded; the screen saver pauses the recording. An event loop that
// serves the recording only when its descriptor is ready takes a fast burst and a key typed alone after it, and
// keys read together with a layout change keep the layout they were typed on.

#include <gtest/gtest.h>
#include <poll.h>

#include <string>
#include <vector>

#include "commands/library_support.h"
#include "port/event_sources.h"
#include "recorder/key_recorder.h"
#include "recorder/recording_script.h"
#include "temp_dir.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using testbed::readFile;
using testbed::TestBed;
using testbed::waitUntil;

class RecordXterm : public ::testing::Test {
 protected:
  void Start(const std::string& layout) {
    desktop_.reset();  // let go of the old server before it stops
    bed_ = std::make_unique<TestBed>(testbed::TestBedOptions{.windowManager = true});
    ASSERT_EQ(bed_->launch({"setxkbmap", "-display", bed_->display(), layout}).waitForExit(testbed::kPatience), 0);
    desktop_ = testbed::OpenDesktopOn(*bed_);
  }

  // An xterm that writes every byte it is given, as it is given, to `file`.
  unsigned long RawXterm(const std::string& title, const std::filesystem::path& file) {
    auto& process = bed_->launch({"xterm", "-T", title, "-u8", "-xrm", "XTerm*metaSendsEscape: true", "-e", "sh",
                                  "-c", "stty raw -echo; exec cat > '" + file.string() + "'"},
                                 {{"LC_ALL=C.UTF-8"}, bed_->dir() / (title + ".log"), -1});
    const unsigned long window = bed_->waitForWindow({title, "XTerm", process.pid()});
    // The terminal is raw once the shell ran stty: a byte typed before would be cooked.
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(file); }));
    return window;
  }

  void Activate(unsigned long window) {
    ASSERT_TRUE(desktop_->windows().activate(window));
    ASSERT_TRUE(waitUntil([&] { return bed_->probe().activeWindow() == window; }));
  }

  void Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto& process = bed_->launch(argv);
    // The recording is read while xdotool types, as the program's event loop would.
    ASSERT_TRUE(waitUntil([&] {
      port::ServeEventSources();
      return !process.running();
    }));
  }

  std::vector<std::string> Play(const std::string& script, unsigned long target) {
    test::RecordingHost host;
    TTarnwickBasic library(host, *desktop_);
    VariableTable globals;
    library.SetGlobals(&globals);
    library.SetTargetWindow(target);
    library.SetScriptText(script, "recorded.tws");
    library.Run(0);
    return host.ScriptErrors;
  }

  std::unique_ptr<TestBed> bed_;
  std::unique_ptr<port::x11::X11Desktop> desktop_;
};

TEST_F(RecordXterm, TheRecordingTypesTheSameBytesAgain) {
  for (const std::string layout : {"us", "de"}) {
    SCOPED_TRACE(layout);
    Start(layout);
    const auto firstFile = bed_->dir() / "first.bytes";
    const auto secondFile = bed_->dir() / "second.bytes";
    const unsigned long first = RawXterm("tw first", firstFile);
    const unsigned long second = RawXterm("tw second", secondFile);
    Activate(first);

    TKeyRecorder recorder(*desktop_);
    std::string problem;
    recorder.OnError = [&](const std::string& text) { problem = text; };
    ASSERT_TRUE(recorder.StartRecording()) << problem;
    // xdotool lends a spare key to a character the layout lacks and takes it back after half its delay; the
    // terminal must look the key up before that.
    Xdotool({"type", "--delay", "400", "Hello World ( ) { } ~ ^ @ + % \" é ß € x"});
    Xdotool({"key", "--delay", "15", "Tab", "Left", "BackSpace", "F5", "ctrl+a", "ctrl+shift+a", "alt+f"});
    if (layout == "de") Xdotool({"key", "--delay", "15", "dead_acute", "e", "dead_circumflex", "o"});
    Xdotool({"type", "Z"});
    ASSERT_TRUE(waitUntil([&] {
      port::ServeEventSources();
      return recorder.RecordedText().ends_with("~Z") && readFile(firstFile).ends_with("Z");
    })) << recorder.RecordedText();
    recorder.StopRecording();
    const std::string typed = readFile(firstFile);
    const std::string& recorded = recorder.RecordedText();
    EXPECT_NE(recorded.find("\r\n"), std::string::npos) << "a recording this long takes several SEND lines";

    const std::string script = RecordingScriptText(recorded, {}, 1);
    EXPECT_EQ(Play(script, second), std::vector<std::string>{}) << script;
    EXPECT_TRUE(waitUntil([&] { return readFile(secondFile).size() >= typed.size(); })) << script;
    EXPECT_EQ(readFile(secondFile), typed) << script;
    if (layout == "de") {
      EXPECT_NE(typed.find("éô"), std::string::npos) << "dead keys combined";
    }
  }
}

TEST_F(RecordXterm, OurOwnSendIsNotRecorded) {
  Start("us");
  const auto file = bed_->dir() / "typed.bytes";
  const unsigned long term = RawXterm("tw own", file);
  Activate(term);
  TKeyRecorder recorder(*desktop_);
  ASSERT_TRUE(recorder.StartRecording());
  EXPECT_EQ(Play("send \"~our ^own (keys){ENTER}\"", term), std::vector<std::string>{});
  Xdotool({"type", "theirs"});
  ASSERT_TRUE(waitUntil([&] {
    port::ServeEventSources();
    return recorder.RecordedText() == "theirs" && readFile(file).ends_with("theirs");
  })) << recorder.RecordedText();
  EXPECT_EQ(readFile(file), std::string("Our \x0f") + "wn keys\rtheirs") << "both reached the terminal";
}

TEST_F(RecordXterm, NothingIsRecordedWhileTheScreenSaverRuns) {
  Start("us");
  TKeyRecorder recorder(*desktop_);
  ASSERT_TRUE(recorder.StartRecording());
  const auto xset = [&](const std::string& what) {
    ASSERT_EQ(bed_->launch({"xset", "-display", bed_->display(), "s", what}).waitForExit(testbed::kPatience), 0);
  };
  xset("activate");
  EXPECT_TRUE(waitUntil([&] {
    port::ServeEventSources();
    return recorder.Paused();
  }));
  xset("reset");
  EXPECT_TRUE(waitUntil([&] {
    port::ServeEventSources();
    return !recorder.Paused();
  }));
  Xdotool({"type", "after"});
  EXPECT_TRUE(waitUntil([&] {
    port::ServeEventSources();
    return recorder.RecordedText() == "after";
  })) << recorder.RecordedText();
}

TEST_F(RecordXterm, AnEventLoopWakesForEveryBurstAndForAKeyAlone) {
  Start("us");
  const auto file = bed_->dir() / "typed.bytes";
  Activate(RawXterm("tw loop", file));
  TKeyRecorder recorder(*desktop_);
  ASSERT_TRUE(recorder.StartRecording());
  // As the program's event loop does: the recording is served only when its descriptor says there is work.
  auto& source = dynamic_cast<port::EventSource&>(desktop_->inputRecording());
  const auto serveWhenReady = [&] {
    pollfd ready{source.eventDescriptor(), POLLIN, 0};
    if (::poll(&ready, 1, 0) > 0) source.serveEvents();
  };
  // The recording breaks its lines; the keys are what counts here.
  const auto keys = [&] {
    std::string text = recorder.RecordedText();
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
  };
  std::string burst;
  for (int i = 0; i < 300; ++i) burst += "abcdefghijklmnopqrstuvwxyz0123456789"[i % 36];
  for (const std::string& typed : {burst, std::string("z")}) {
    auto& process = bed_->launch({"xdotool", "type", "--delay", "0", typed});
    ASSERT_TRUE(waitUntil([&] {
      serveWhenReady();
      return !process.running();
    }));
    EXPECT_TRUE(waitUntil([&] {
      serveWhenReady();
      return keys().ends_with(typed);
    })) << keys();
  }
  EXPECT_EQ(keys(), burst + "z");
  EXPECT_TRUE(waitUntil([&] { return readFile(file) == burst + "z"; })) << readFile(file);
}

TEST_F(RecordXterm, KeysTypedBeforeALayoutChangeKeepTheLayoutTheyWereTypedOn) {
  Start("us");
  Activate(RawXterm("tw layouts", bed_->dir() / "typed.bytes"));
  TKeyRecorder recorder(*desktop_);
  ASSERT_TRUE(recorder.StartRecording());
  // Nothing is served until all of it happened, so one read takes the keys on both sides of the change: on the
  // German layout y and z swap keys, and a key read with the wrong layout comes back as the other letter.
  const auto run = [&](const std::vector<std::string>& argv) {
    ASSERT_EQ(bed_->launch(argv).waitForExit(testbed::kPatience), 0);
  };
  run({"xdotool", "type", "yz"});
  run({"setxkbmap", "-display", bed_->display(), "de"});
  run({"xdotool", "type", "yz"});
  EXPECT_TRUE(waitUntil([&] {
    port::ServeEventSources();
    return recorder.RecordedText().size() >= 4;
  })) << recorder.RecordedText();
  EXPECT_EQ(recorder.RecordedText(), "yzyz");
}

}  // namespace
}  // namespace tw
