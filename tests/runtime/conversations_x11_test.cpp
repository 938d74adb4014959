// A windowed brindle on a test bed offers the captions of its own windows as topics, and answers other
// programs while one of its windows waits for the user.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "private_bus.h"
#include "test_bed.h"

namespace tw {
namespace {

using testbed::ChildProcess;

// What `gdbus call` prints (answer or error) for one method of a process's conversation object.
std::string Gdbus(const testbed::PrivateBus& bus, const std::string& name, const std::string& method,
                  const std::string& arguments = "") {
  const std::string command = bus.environment() + " gdbus call --session --dest " + name +
                              " --object-path /org/tarnwick/Conversation --method org.tarnwick.Conversation1." +
                              method + " " + arguments + " 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
  }
  return output;
}

TEST(ConversationCaptions, TheCaptionOfABrindleWindowIsATopicWithoutItems) {
  testbed::PrivateBus bus;
  testbed::TestBed bed({.windowManager = false});
  std::ofstream(bed.dir() / "wait.tws") << "print \"Waiting for you\"\n";
  ChildProcess& brindle = bed.launch({BRINDLE_PATH, (bed.dir() / "wait.tws").string()},
                                     {{bus.environment()}, bed.dir() / "brindle.log", -1});
  bed.waitForWindow({"Print", "", static_cast<int>(brindle.pid())});
  const std::string name = "org.tarnwick.Conversation.brindle.p" + std::to_string(brindle.pid());

  // The prompt window waits for the user all along: the answers come from the idle program.
  EXPECT_EQ(Gdbus(bus, name, "Topics"), "(['Print'],)\n");
  std::smatch id;
  const std::string connected = Gdbus(bus, name, "Connect", "print");
  ASSERT_TRUE(std::regex_search(connected, id, std::regex("uint64 ([0-9]+)"))) << connected;
  EXPECT_NE(Gdbus(bus, name, "Request", id[1].str() + " anything").find("Error.NoSuchItem"), std::string::npos);
  EXPECT_EQ(Gdbus(bus, name, "Execute", id[1].str() + " dropped"), "()\n");
  EXPECT_NE(Gdbus(bus, name, "Connect", "elsewhere").find("Error.NoSuchTopic"), std::string::npos);
}

}  // namespace
}  // namespace tw
