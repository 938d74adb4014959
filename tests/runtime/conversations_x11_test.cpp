// A windowed brindle on a test bed offers the captions of its own windows as topics, and answers other
// programs while one of its windows waits for the user.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "private_bus.h"
#include "test_bed.h"

namespace tw {
namespace {

using testbed::ChildProcess;

TEST(ConversationCaptions, TheCaptionOfABrindleWindowIsATopicWithoutItems) {
  testbed::PrivateBus bus;
  testbed::TestBed bed({.windowManager = false});
  std::ofstream(bed.dir() / "wait.tws") << "print \"Waiting for you\"\n";
  ChildProcess& brindle = bed.launch({BRINDLE_PATH, (bed.dir() / "wait.tws").string()},
                                     {{bus.environment()}, bed.dir() / "brindle.log", -1});
  bed.waitForWindow({"Print", "", static_cast<int>(brindle.pid())});
  const std::string name = "org.tarnwick.Conversation.brindle.p" + std::to_string(brindle.pid());

  // The prompt window waits for the user all along: the answers come from the idle program.
  EXPECT_EQ(bus.callConversation(name, "Topics"), "(['Print'],)\n");
  std::smatch id;
  const std::string connected = bus.callConversation(name, "Connect", "print");
  ASSERT_TRUE(std::regex_search(connected, id, std::regex("uint64 ([0-9]+)"))) << connected;
  EXPECT_NE(bus.callConversation(name, "Request", id[1].str() + " anything").find("Error.NoSuchItem"),
            std::string::npos);
  EXPECT_EQ(bus.callConversation(name, "Execute", id[1].str() + " dropped"), "()\n");
  EXPECT_NE(bus.callConversation(name, "Connect", "elsewhere").find("Error.NoSuchTopic"), std::string::npos);
}

}  // namespace
}  // namespace tw
