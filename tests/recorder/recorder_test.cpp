// The keystroke recorder on the fake desktop: key events in, key-string text out; the recorder's life
// (start, failure, pause, capacity); and the script lines a recording becomes.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "commands/library_support.h"
#include "port/event_sources.h"
#include "port/fake/fake_desktop.h"
#include "recorder/key_recorder.h"
#include "recorder/recording_script.h"
#include "recorder/window_finder.h"

namespace tw {
namespace {

using port::HeldModifiers;
using port::InputEvent;
using port::KeySym;
using port::fake::FakeDesktop;
using port::fake::FakeInputRecording;
namespace keys = port::keys;

// A key press as a real keyboard reports it, for what the fake's US keyboard cannot make.
InputEvent KeyDown(KeySym key, std::string text = {}, HeldModifiers held = {}, KeySym base = keys::kNone) {
  InputEvent event;
  event.key = key;
  event.baseKey = base ? base : key;
  event.text = std::move(text);
  event.held = held;
  return event;
}

std::string Recorded(const std::function<void(FakeInputRecording&)>& typing) {
  FakeDesktop desktop;
  TKeyRecorder recorder(desktop);
  EXPECT_TRUE(recorder.StartRecording());
  typing(desktop.fakeInputRecording());
  port::ServeEventSources();
  return recorder.RecordedText();
}

void Chord(FakeInputRecording& input, std::vector<KeySym> held, KeySym key) {
  for (KeySym modifier : held) input.press(modifier);
  input.tap(key);
  for (auto modifier = held.rbegin(); modifier != held.rend(); ++modifier) input.release(*modifier);
}

TEST(KeyRecorder, KeysBecomeTheKeyStringThatTypesThemAgain) {
  const struct {
    const char* what;
    std::function<void(FakeInputRecording&)> typing;
    std::string text;
  } cases[] = {
      {"Shift for the capital", [](auto& in) { in.type(U"Hello"); }, "~Hello"},
      {"Ctrl", [](auto& in) { Chord(in, {keys::kControl}, 'c'); }, "^c"},
      {"Ctrl on a named key", [](auto& in) { Chord(in, {keys::kControl}, keys::function(5)); }, "^{F5}"},
      {"Alt", [](auto& in) { Chord(in, {keys::kAlt}, 'f'); }, "@f"},
      {"Alt held over two keys marks each",
       [](auto& in) {
         in.press(keys::kAlt);
         in.tap('f');
         in.tap('o');
         in.release(keys::kAlt);
       },
       "@f@o"},
      {"Shift pressed under Ctrl", [](auto& in) { Chord(in, {keys::kControl, keys::kShift}, 'a'); }, "^^~a"},
      {"Ctrl pressed under Shift", [](auto& in) { Chord(in, {keys::kShift, keys::kControl}, 'a'); }, "~^~a"},
      {"a modifier pressed and let go types nothing",
       [](auto& in) {
         in.press(keys::kControl);
         in.tap(keys::kShift);
         in.release(keys::kControl);
         in.tap('x');
       },
       "x"},
      {"characters that mean something to send go in braces", [](auto& in) { in.type(U"(){}~^@"); },
       "~{(}~{)}~{{}~{}}~{~}~{^}~{@}"},
      {"plus, percent and quotes are themselves", [](auto& in) { in.type(U"+%\"a b"); }, "~+~%~\"a b"},
      {"named keys",
       [](auto& in) {
         for (KeySym key : {keys::kEnter, keys::kTab, keys::kBackspace, keys::kEscape, keys::kLeft, keys::kUp,
                            keys::kRight, keys::kDown})
           in.tap(key);
       },
       "{enter}{tab}{backspace}{escape}{left}{up}{right}{down}"},
      {"more named keys",
       [](auto& in) {
         for (KeySym key : {keys::kPageUp, keys::kPageDown, keys::kHome, keys::kEnd, keys::kInsert, keys::kDelete,
                            keys::kPrint, keys::function(1), keys::function(12)})
           in.tap(key);
       },
       "{pgup}{pgdn}{home}{end}{ins}{delete}{prtsc}{F1}{F12}"},
      {"keys send knows by name beyond the Windows keyboard",
       [](auto& in) {
         for (KeySym key : {keys::kBreak, keys::kHelp, keys::kClear, keys::function(13), keys::function(16)}) in.tap(key);
       },
       "{break}{help}{clear}{F13}{F16}"},
      {"keys send cannot play, and lock keys, record nothing",
       [](auto& in) {
         for (KeySym key : {keys::kSuper, KeySym{0x1008ff14} /* media: play */, keys::function(17), keys::kCapsLock,
                            keys::kNumLock, keys::kScrollLock, KeySym{0xfe51} /* dead acute */, keys::kMenu})
           in.tap(key);
       },
       ""},
      {"Shift+Tab", [](auto& in) { Chord(in, {keys::kShift}, keys::kTab); }, "~{tab}"},
      {"a mouse click types nothing", [](auto& in) { in.click(1); }, ""},
      {"the keypad with and without Num Lock",
       [](auto& in) {
         in.queue(KeyDown(0xffb1, "1", {}, 0xff9c));   // KP_1
         in.queue(KeyDown(0xff9c, "", {}, 0xff9c));    // KP_End
         in.queue(KeyDown(0xff9d, "", {}, 0xff9d));    // KP_Begin
         in.queue(KeyDown(0xffab, "+", {}, 0xffab));   // KP_Add
         in.queue(KeyDown(0xff8d, "", {}, 0xff8d));    // KP_Enter
       },
       "1{end}{clear}+{enter}"},
      {"AltGr gives only its character",
       [](auto& in) {
         in.queue(KeyDown(0x20ac, "€", {.altGr = true}, 'e'));
         in.queue(KeyDown('@', "@", {.altGr = true}, 'q'));
         in.queue(KeyDown(0x1e9e, "ẞ", {.shift = true, .altGr = true}, 's'));
       },
       "€{@}ẞ"},
      {"a dead key's combination, UTF-8",
       [](auto& in) {
         in.queue(KeyDown(0xfe51, "", {}, 0xfe51));
         in.queue(KeyDown('e', "é"));
         in.queue(KeyDown(0xdf, "ß"));
       },
       "éß"},
      {"Caps Lock made the letter's case",
       [](auto& in) {
         in.queue(KeyDown('A', "A"));
         in.queue(KeyDown('a', "a", {.shift = true}));
         in.queue(KeyDown('a', "a", {.shift = true, .ctrl = true}));
       },
       "Aa^~a"},
      {"Ctrl and Alt on a key that gives another symbol then",
       [](auto& in) { in.queue(KeyDown(0x1008fe05, "", {.ctrl = true, .alt = true}, keys::function(5))); },
       "^@{F5}"},
  };
  for (const auto& c : cases) EXPECT_EQ(Recorded(c.typing), c.text) << c.what;
}

// Each line goes into a SEND of its own, which releases every modifier at its end: a line may end only
// after a key, never after a prefix.
TEST(KeyRecorder, LinesBreakPastSeventyAndOnlyAfterAKey) {
  const std::string text = Recorded([](auto& in) {
    in.type(std::u32string(100, U'a'));
    in.type(std::u32string(37, U'b'));
    Chord(in, {keys::kAlt}, 'f');
    Chord(in, {keys::kControl, keys::kShift}, 'a');
    in.type(U"z");
  });
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), 3u) << text;
  EXPECT_EQ(lines[0], std::string(71, 'a'));
  EXPECT_EQ(lines[1], std::string(29, 'a') + std::string(37, 'b') + "@f" + "^^~a") << "70 characters reached inside a chord";
  EXPECT_EQ(lines[2], "z");
}

TEST(KeyRecorder, StartsStopsAndPauses) {
  FakeDesktop desktop;
  TKeyRecorder recorder(desktop);
  std::vector<std::string> errors, warnings;
  recorder.OnError = [&](const std::string& text) { errors.push_back(text); };
  recorder.OnWarning = [&](const std::string& text) { warnings.push_back(text); };
  FakeInputRecording& input = desktop.fakeInputRecording();

  input.failNextStart("display :9 has no RECORD extension for recording input");
  EXPECT_FALSE(recorder.StartRecording());
  EXPECT_EQ(errors, (std::vector<std::string>{"Cannot set Hook\ndisplay :9 has no RECORD extension for recording input"}));
  EXPECT_FALSE(recorder.Recording());

  ASSERT_TRUE(recorder.StartRecording());
  input.type(U"ab");
  input.pause(true);  // the screen saver starts: a locker's password is not recorded
  input.type(U"secret");
  input.pause(false);
  input.type(U"c");
  input.click(3);
  port::ServeEventSources();
  EXPECT_EQ(recorder.RecordedText(), "abc");
  EXPECT_EQ(recorder.EventCount(), 8u) << "presses and releases of keys and buttons";

  recorder.StopRecording();
  EXPECT_FALSE(input.recording()) << "the desktop records no more";
  input.type(U"d");
  port::ServeEventSources();
  EXPECT_EQ(recorder.RecordedText(), "abc") << "the text stays after the stop";

  ASSERT_TRUE(recorder.StartRecording());
  EXPECT_EQ(recorder.RecordedText(), "") << "a new recording starts empty";
  EXPECT_TRUE(desktop.log().empty()) << "no bell, nothing typed";

  desktop.removeDisplay("DISPLAY is not set");
  recorder.StopRecording();
  EXPECT_FALSE(recorder.StartRecording());
  EXPECT_EQ(errors.back(), "Cannot set Hook\nno display: DISPLAY is not set");
  EXPECT_TRUE(warnings.empty());
}

TEST(KeyRecorder, StopsWithABellAtItsCapacityAndKeepsTheText) {
  FakeDesktop desktop;
  TKeyRecorder recorder(desktop);
  std::vector<std::string> warnings;
  recorder.OnWarning = [&](const std::string& text) { warnings.push_back(text); };
  ASSERT_TRUE(recorder.StartRecording());
  FakeInputRecording& input = desktop.fakeInputRecording();
  for (std::size_t i = 0; i < TKeyRecorder::kCapacity / 2; ++i) input.tap('a');
  input.tap('b');  // its press is the 100,001st event: taken, and then the recording stops
  input.tap('c');
  port::ServeEventSources();

  EXPECT_FALSE(recorder.Recording());
  EXPECT_FALSE(input.recording());
  EXPECT_EQ(recorder.EventCount(), TKeyRecorder::kCapacity);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Maximum recording capacity is reached!"}));
  EXPECT_EQ(desktop.log(), (port::fake::ActionLog{"beep Default"}));
  const std::string& text = recorder.RecordedText();
  EXPECT_EQ(text.substr(text.size() - 2), "ab");
  EXPECT_EQ(std::count(text.begin(), text.end(), 'a'), 50000);
}

TEST(RecordingScript, WrapsSendLinesInAFocusTestAndIndentsThem) {
  const struct {
    const char* what;
    std::string recorded;
    RecordingTarget target;
    int column;
    std::string script;
  } cases[] = {
      {"by title", "~Hello{enter}", {"notes - Editor", "Editor"}, 1,
       "IF FOCUS(\"notes - Editor\", 5) = True THEN\r\nSEND \"~Hello{enter}\"\r\nENDIF\r\n"},
      {"by class when untitled", "ab\r\ncd", {"", "XTerm"}, 1,
       "IF FOCUSCLASS(\"XTerm\", 5) = True THEN\r\nSEND \"ab\"\r\nSEND \"cd\"\r\nENDIF\r\n"},
      {"no window picked", "ab\r\n", {}, 3, "SEND \"ab\"\r\n  "},
      {"indented to the caret", "x", {"T", ""}, 5,
       "IF FOCUS(\"T\", 5) = True THEN\r\n    SEND \"x\"\r\n    ENDIF\r\n    "},
      {"quotes joined as chr(34)", "say ~\"hi~\"", {"a \"quoted\" title", ""}, 1,
       "IF FOCUS(\"a \" + chr(34) + \"quoted\" + chr(34) + \" title\", 5) = True THEN\r\n"
       "SEND \"say ~\" + chr(34) + \"hi~\" + chr(34)\r\nENDIF\r\n"},
      {"a line of one quote", "\"", {}, 1, "SEND chr(34)\r\n"},
      {"nothing recorded", "", {"T", ""}, 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RecordingScriptText(c.recorded, c.target, c.column), c.script) << c.what;
}

// The joined literals are what the language reads back: the recorded keys reach the window.
TEST(RecordingScript, ItsLinesRunAndTypeTheQuotes) {
  FakeDesktop desktop;
  const port::WindowId window = desktop.fakeWindows().add({.title = "say \"hi\""});
  test::RecordingHost host;
  const std::string script = RecordingScriptText("\"x\"", {"say \"hi\"", ""}, 1) + "print _error";
  const auto run = test::RunOnFakeDesktop(script, desktop, host, false, window);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  const auto& log = desktop.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "type \""), 2) << ::testing::PrintToString(log);
  EXPECT_NE(std::find(log.begin(), log.end(), "type x"), log.end());
}

// A small titled window with a button, and a large window over it; our own dialog to the side.
struct Desk {
  FakeDesktop desktop;
  port::fake::FakeWindows& windows = desktop.fakeWindows();
  const port::WindowId small = windows.add({.title = "Small", .windowClass = {"small", "Small"}, .frame = {100, 100, 200, 100}});
  const port::WindowId button = windows.addChild(small, {.title = "OK", .frame = {120, 120, 50, 20}});
  const port::WindowId large = windows.add({.title = "Large", .windowClass = {"large", ""}, .frame = {0, 0, 600, 400}});
  const port::WindowId panel = windows.addChild(large, {.title = "Panel", .frame = {10, 10, 300, 300}});
  const port::WindowId blank = windows.addChild(panel, {.title = "", .frame = {110, 110, 100, 50}});
  const port::WindowId own = windows.add({.title = "Keystrokes Recorder", .frame = {700, 0, 300, 200}});
};

TEST(WindowFinder, ThePointerFindsOnlyWhatIsShownAtThePoint) {
  Desk desk;
  const port::Point inSmall{125, 125};  // on the small window's button, below the large window
  WindowPointerTracker top(desk.windows, desk.own, false);
  EXPECT_EQ(top.Track(inSmall), WindowPointerTracker::Over::Window);
  EXPECT_EQ(top.Found(), (FoundWindow{"Large", "large", desk.large})) << "the covered window never wins";
  EXPECT_EQ(top.Track({900, 900}), WindowPointerTracker::Over::Nothing);
  EXPECT_EQ(top.Found().handle, desk.large) << "over no window the found one stays";
  EXPECT_EQ(top.Track({750, 50}), WindowPointerTracker::Over::OwnWindow);
  EXPECT_EQ(top.Found(), FoundWindow{}) << "over our own dialog nothing is found";

  WindowPointerTracker child(desk.windows, desk.own, true);
  child.Track(inSmall);
  EXPECT_EQ(child.Found().handle, desk.blank) << "the innermost window, titled or not";
  desk.windows.at(desk.large).state.minimised = true;
  child.Track(inSmall);
  EXPECT_EQ(child.Found(), (FoundWindow{"OK", "", desk.button}));
  top.Track(inSmall);
  EXPECT_EQ(top.Found(), (FoundWindow{"Small", "Small", desk.small}));

  desk.windows.at(desk.small).title = std::string(250, 'x');
  top.Track(inSmall);
  EXPECT_EQ(top.Found().title.size(), 200u);
}

TEST(WindowFinder, TheOverlayFindsTheInnermostTitledWindowOfTheTopWindow) {
  Desk desk;
  const port::WindowId overlay = desk.windows.add({.title = "", .frame = {0, 0, 1280, 1024}});
  EXPECT_EQ(TitledWindowAt(desk.windows, {125, 125}, overlay), (TWindowInfo{"Large", "Panel", 10, 10, 300, 300}))
      << "an untitled window gives way to the titled one around it; the covered button never counts";
  EXPECT_EQ(TitledWindowAt(desk.windows, {400, 350}, overlay), std::nullopt) << "the top-level window itself";
  EXPECT_EQ(TitledWindowAt(desk.windows, {125, 125}, port::kNoWindow), std::nullopt) << "the overlay covers all";
  desk.windows.at(desk.large).title = "";
  EXPECT_EQ(TitledWindowAt(desk.windows, {125, 125}, overlay), std::nullopt) << "an untitled top-level window";

  EXPECT_EQ(ClickPositionIn({130, 140}, port::Rect{100, 100, 50, 50}), (port::Point{30, 40}));
  EXPECT_EQ(ClickPositionIn({130, 140}, std::nullopt), (port::Point{130, 140}));
}

}  // namespace
}  // namespace tw
