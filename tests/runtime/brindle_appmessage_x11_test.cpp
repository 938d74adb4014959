// appmessage from real brindle processes on a private X server with openbox: to the receiver helper's stand-in
// (several senders at once) and to an xterm that is marked as a receiver but never takes anything.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_bed.h"

namespace tw::testbed {
namespace {

class BrindleAppMessage : public ::testing::Test {
 protected:
  BrindleAppMessage() : bed_({.windowManager = true}) {}

  std::string Script(const std::string& name, const std::string& text) {
    std::ofstream(bed_.dir() / name, std::ios::binary) << text;
    return (bed_.dir() / name).string();
  }

  ChildProcess& Brindle(const std::string& script, const std::string& output) {
    return bed_.launch({BRINDLE_PATH, "--console", script}, {{}, bed_.dir() / output, -1});
  }

  std::string Xprop(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xprop"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess& xprop = bed_.launch(argv, {{}, bed_.dir() / "xprop.out", -1});
    EXPECT_EQ(xprop.waitForExit(kPatience), 0);
    return readFile(bed_.dir() / "xprop.out");
  }

  TestBed bed_;
};

TEST_F(BrindleAppMessage, TwoSendersAtOnceDeliverEveryTextEachInItsOrder) {
  const auto texts = bed_.dir() / "texts";
  bed_.launch({TW_RUN_REQUEST_RECEIVER_STANDIN, texts.string(), "Main Program", "tarnwick", "TMainForm", "hidden"});
  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(texts.string() + ".ready"); }));
  ChildProcess& a = Brindle(Script("a.tws", "for i = 1 to 200\nx = appmessage(\"\", \"tmainform\", \"A \" + i)\n"
                                            "endfor\nprint \"sent\"\n"),
                            "a.out");
  ChildProcess& b = Brindle(Script("b.tws", "for i = 1 to 200\nx = appmessage(\"MAIN PROGRAM\", \"\", \"B \" + i)\n"
                                            "endfor\nprint \"sent\"\n"),
                            "b.out");
  EXPECT_EQ(a.waitForExit(kPatience), 0) << readFile(bed_.dir() / "a.out");
  EXPECT_EQ(b.waitForExit(kPatience), 0) << readFile(bed_.dir() / "b.out");

  ASSERT_TRUE(waitUntil([&] {
    const std::string taken = readFile(texts);
    return std::count(taken.begin(), taken.end(), '\n') >= 400;
  }));
  std::istringstream lines(readFile(texts));
  int nextA = 1, nextB = 1, count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    if (line == "A " + std::to_string(nextA))
      ++nextA;
    else if (line == "B " + std::to_string(nextB))
      ++nextB;
    else
      ADD_FAILURE() << "out of order or unknown: " << line;
  }
  EXPECT_EQ(count, 400);
  EXPECT_EQ(nextA, 201);
  EXPECT_EQ(nextB, 201);
}

TEST_F(BrindleAppMessage, AMarkedXtermKeepsTheTextAndTheSenderGivesUpAfterFiveSeconds) {
  const auto marked = bed_.startXterm("Marked Term");
  const auto unmarked = bed_.startXterm("Plain Term");
  Xprop({"-id", std::to_string(marked.window), "-f", "_TARNWICK_RUN_REQUEST_RECEIVER", "32c", "-set",
         "_TARNWICK_RUN_REQUEST_RECEIVER", "1"});

  const auto started = std::chrono::steady_clock::now();
  ChildProcess& sender = Brindle(Script("send.tws", "print appmessage(\"marked term\", \"\", \"/jobs/nightly.tws\")\n"
                                                    "print appmessage(\"Plain Term\", \"\", \"never\")\n"),
                                 "send.out");
  EXPECT_EQ(sender.waitForExit(kPatience), 0);
  // The wait for a receiver that never takes the text is five seconds, so the run cannot be shorter.
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(readFile(bed_.dir() / "send.out"), "1\n1\n");
  EXPECT_EQ(Xprop({"-id", std::to_string(marked.window), "_TARNWICK_RUN_REQUEST"}),
            "_TARNWICK_RUN_REQUEST(STRING) = \"/jobs/nightly.tws\"\n");
  EXPECT_NE(Xprop({"-id", std::to_string(unmarked.window), "_TARNWICK_RUN_REQUEST"}).find("not found"),
            std::string::npos);
}

}  // namespace
}  // namespace tw::testbed
