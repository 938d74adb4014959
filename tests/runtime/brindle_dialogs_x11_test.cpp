// Script dialogs of brindle on a private X server under a window manager: what a person sees (screenshots
// kept under the build's artifacts folder), where the window sits and how large it is with its frame, and a
// user typing, ticking and clicking through xdotool.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <regex>
#include <string>

#include "screenshot.h"
#include "test_bed.h"

namespace tw::testbed {
namespace {

bool Reddish(int r, int g, int b) { return r > 160 && g < 110 && b < 110; }
bool White(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }

class BrindleDialogs : public ::testing::Test {
 protected:
  BrindleDialogs() : bed_({.windowManager = true}) {}

  // Starts brindle on a script whose "DIR/" stands for the bed's folder; it writes what the user left in the
  // dialog to values.txt.
  ChildProcess& Brindle(std::string script) {
    for (std::size_t at; (at = script.find("DIR/")) != std::string::npos;)
      script.replace(at, 4, (bed_.dir() / "").string());
    std::ofstream(bed_.dir() / "dialog.tws", std::ios::binary) << script;
    return bed_.launch({BRINDLE_PATH, (bed_.dir() / "dialog.tws").string()}, {{}, bed_.dir() / "brindle.log", -1});
  }

  // What a program printed.
  std::string Output(const std::vector<std::string>& argv) {
    const auto file = bed_.dir() / "output.txt";
    ChildProcess& program = bed_.launch(argv, {{}, file, -1});
    EXPECT_EQ(program.waitForExit(kPatience), 0) << argv.front();
    return readFile(file);
  }
  void Run(const std::vector<std::string>& argv) { Output(argv); }

  // The outer rectangle, frame included: x, y, width, height. xwininfo gives the client window's place and
  // size, xprop the frame the window manager put around it.
  std::array<int, 4> FrameRect(unsigned long window) {
    const std::string info = Output({"xwininfo", "-frame", "-id", std::to_string(window)});
    std::array<int, 4> rect{};
    const char* fields[] = {"Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
      std::smatch match;
      if (std::regex_search(info, match, std::regex(std::string(fields[i]) + ": *(-?[0-9]+)")))
        rect[i] = std::stoi(match[1]);
    }
    const std::string extents = Output({"xprop", "-id", std::to_string(window), "_NET_FRAME_EXTENTS"});
    std::smatch match;
    if (std::regex_search(extents, match, std::regex("= ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)"))) {
      const int left = std::stoi(match[1]), right = std::stoi(match[2]), top = std::stoi(match[3]),
                bottom = std::stoi(match[4]);
      rect = {rect[0] - left, rect[1] - top, rect[2] + left + right, rect[3] + top + bottom};
    }
    return rect;
  }

  // The window's caption and whether it stays above the others, as xprop prints them.
  void ExpectCaptionAndAbove(unsigned long window, const std::string& caption) {
    const std::string props = Output({"xprop", "-id", std::to_string(window), "_NET_WM_NAME", "_NET_WM_STATE"});
    EXPECT_NE(props.find("_NET_WM_NAME(UTF8_STRING) = \"" + caption + "\""), std::string::npos) << props;
    EXPECT_NE(props.find("_NET_WM_STATE_ABOVE"), std::string::npos) << props;
  }

  std::string Values() { return readFile(bed_.dir() / "values.txt"); }

  TestBed bed_;
};

constexpr char kSaveValues[] =
    "x = savetofile(dialogvar(\"euser\") + \"|\" + dialogvar(\"cagree\") + \"|\" + dialogvar(\"bok\") + \"|\" + "
    "dialogvar(\"bcancel\"), \"DIR/values.txt\")\n";

TEST_F(BrindleDialogs, AnEnhancedDialogWithEveryKindTakesTypingATickAndAClick) {
  ChildProcess& brindle = Brindle(std::string(
      "dialog\n"
      "WINDOW,100,80,360,280,0,\"Tahoma\",9,N,\"Every kind\"\n"
      "WINDOW1,0,clBtnFace\n"
      "L1,10,12,90,16,0,\"\",9,N,0,0,0,\"&Name:\"\n"
      "EUSER,100,8,150,22,1,\"\",9,N,0,0,50,\"\"\n"
      "EPASS,100,34,150,22,0,\"\",9,N,0,1,0,\"secret\"\n"
      "CAGREE,10,64,120,20,0,\"\",9,N,0,0,0,\"&Agree\"\n"
      "R1,140,64,70,20,0,\"\",9,N,1,0,0,\"Red\"\n"
      "R2,220,64,70,20,0,\"\",9,N,0,0,0,\"Blue\"\n"
      "O1,10,92,120,22,0,\"\",9,N,0,0,0,\"first;second;\"\n"
      "S1,140,92,110,64,0,\"\",9,N,0,0,0,\"x;y;z;\"\n"
      "MNOTES,10,124,120,60,0,\"\",9,N,0,1,200,\"one&nl&two\"\n"
      "H1,262,92,64,64,0,\"\",4,3,255,16777215,0,\"\"\n"
      "I1,290,8,32,32,0,\"\",0,0,2,0,0,0,\"/no/such/picture.png\"\n"
      "BOK,180,200,70,26,0,\"\",9,N,0,0,0,\"&OK\"\n"
      "BCANCEL,260,200,70,26,0,\"\",9,N,0,0,0,\"Cancel\"\n"
      "enddialog\n") + kSaveValues);
  const unsigned long window = bed_.waitForWindow({"Every kind", "", static_cast<int>(brindle.pid())});
  ExpectCaptionAndAbove(window, "Every kind");
  // The definition's size is the outer size, frame included, at the definition's corner.
  std::array<int, 4> frame{};
  EXPECT_TRUE(waitUntil([&] { return (frame = FrameRect(window)) == std::array<int, 4>{100, 80, 360, 280}; }))
      << frame[0] << "," << frame[1] << " " << frame[2] << "x" << frame[3];

  const Picture shot = screenshot(bed_, window, "brindle-dialog-enhanced", TW_ARTIFACTS_DIR);
  EXPECT_GT(shot.share(Reddish), 0.002);  // the red ellipse's outline
  EXPECT_LT(shot.share(Reddish), 0.05);   // and no red fill
  EXPECT_GT(shot.share(White), 0.05);     // the white fields

  Run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
  Run({"xdotool", "type", "--delay", "20", "Ada"});  // the edit box with the focus flag has the focus
  Run({"xdotool", "mousemove", "--window", std::to_string(window), "20", "74", "click", "1"});
  Run({"xdotool", "mousemove", "--window", std::to_string(window), "215", "213", "click", "1"});
  ASSERT_TRUE(waitUntil([&] { return !Values().empty(); }));
  EXPECT_EQ(Values(), "Ada|1|1|0\r\n");
  EXPECT_EQ(brindle.waitForExit(kPatience), 0);
}

TEST_F(BrindleDialogs, ATextLayoutDialogIsCentredAndEnterPressesItsDefaultButton) {
  ChildProcess& brindle = Brindle(std::string(
      "dialog \"Layout\"\n"
      "  [L:Your name:] [Euser:^Grace        ]\n"
      "  [Cagree:^Agree]\n"
      "  [Ttimer:600]   [L:seconds left]\n"
      "  [Bok:^OK,Bcancel:Cancel]\n"
      "enddialog\n") + kSaveValues);
  const unsigned long window = bed_.waitForWindow({"Layout", "", static_cast<int>(brindle.pid())});
  ExpectCaptionAndAbove(window, "Layout");
  const Picture shot = screenshot(bed_, window, "brindle-dialog-layout", TW_ARTIFACTS_DIR);
  EXPECT_GT(shot.share(White), 0.02);  // the edit box
  const auto frame = FrameRect(window);
  const std::string screen = Output({"xdpyinfo"});
  std::smatch size;
  ASSERT_TRUE(std::regex_search(screen, size, std::regex("dimensions: *([0-9]+)x([0-9]+)")));
  EXPECT_NEAR(frame[0] + frame[2] / 2, std::stoi(size[1]) / 2, 3);
  EXPECT_NEAR(frame[1] + frame[3] / 2, std::stoi(size[2]) / 2, 3);

  Run({"xdotool", "windowactivate", "--sync", std::to_string(window), "key", "--clearmodifiers", "End", "Return"});
  ASSERT_TRUE(waitUntil([&] { return !Values().empty(); }));
  EXPECT_EQ(Values(), "Grace|1|1|0\r\n");
  EXPECT_EQ(brindle.waitForExit(kPatience), 0);
}

}  // namespace
}  // namespace tw::testbed
