// The naming of conversations on the bus, and the serving side's bookkeeping of conversations and links.

#include <gtest/gtest.h>

#include <map>

#include "port/conversation_directory.h"
#include "port/conversation_names.h"

namespace tw::port {
namespace {

TEST(ConversationNames, ServicesBecomeLabelsOfLegalBusNames) {
  const std::pair<std::string, std::string> labels[] = {
      {"brindle", "brindle"}, {"Brindle", "brindle"},   {"my-app", "my_2dapp"}, {"7zip", "_37zip"},
      {"", "_"},              {"a_b", "a_5fb"},         {"é", "_c3_a9"},
  };
  for (const auto& [service, label] : labels) EXPECT_EQ(ServiceLabel(service), label) << service;
  EXPECT_LE(ProcessBusName(ServiceLabel(std::string(300, 'x')), 4194304).size(), 255u);

  EXPECT_EQ(ProgramService("/usr/local/bin/brindle.bin"), "brindle");
  EXPECT_EQ(ProgramService("tarnwick"), "tarnwick");
  EXPECT_EQ(ProcessBusName("brindle", 42), "org.tarnwick.Conversation.brindle.p42");

  EXPECT_EQ(ProcessIdOfService("org.tarnwick.Conversation.brindle.p42", "brindle"), 42);
  EXPECT_EQ(ProcessIdOfService("org.tarnwick.Conversation.Brindle.p7", "brindle"), 7);
  EXPECT_EQ(ProcessIdOfService("org.tarnwick.Conversation.brindlex.p7", "brindle"), std::nullopt);
  EXPECT_EQ(ProcessIdOfService("org.tarnwick.Conversation.brindle.p7x", "brindle"), std::nullopt);
  EXPECT_EQ(ProcessIdOfService(":1.42", "brindle"), std::nullopt);
}

TEST(ConversationNames, ScriptTextBecomesABusString) {
  EXPECT_EQ(BusText("plain"), "plain");
  EXPECT_EQ(BusText("caf\xc3\xa9"), "caf\xc3\xa9");                 // UTF-8 stays
  EXPECT_EQ(BusText("caf\xe9 \x80"), "caf\xc3\xa9 \xe2\x82\xac");   // other bytes are Windows-1252
  EXPECT_EQ(BusText(std::string("ab\0cd", 5)), "ab");               // ends at the first zero byte
  EXPECT_EQ(BusText("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac");  // an encoded surrogate is no UTF-8
  EXPECT_EQ(BusText("\xef\xbf\xbe"), "\xef\xbf\xbd");               // a non-character the bus refuses
}

// A topic with items held in a map, as the command library's server conversation holds them.
class TestTopic final : public ConversationTopic {
 public:
  explicit TestTopic(std::string name) : name_(std::move(name)) {}
  std::string topicName() const override { return name_; }
  std::optional<std::string> itemData(std::string_view item) const override {
    auto found = items.find(std::string(item));
    if (found == items.end()) return std::nullopt;
    return found->second + "\r\n";
  }
  bool pokeItem(std::string_view item, std::string_view text) override {
    auto found = items.find(std::string(item));
    if (found == items.end()) return false;
    found->second = text;
    return true;
  }
  void receiveMacro(std::string_view macro) override { macros.emplace_back(macro); }

  std::map<std::string, std::string> items;
  std::vector<std::string> macros;

 private:
  std::string name_;
};

class DirectoryTest : public ::testing::Test {
 protected:
  DirectoryTest() {
    topic.items["status"] = "ready";
    directory.addTopic(topic);
    directory.setCaptionSource([] { return std::vector<std::string>{"Untitled - Notes"}; });
  }

  // The client whose watch has fired: the backend reports it as gone.
  void leave(const std::string& client) {
    auto left = watches.at(client);
    watches.erase(client);
    left();
  }

  TestTopic topic{"orders"};
  std::vector<std::string> notices;
  std::map<std::string, std::function<void()>> watches;
  ConversationDirectory directory{
      [this](const std::string& client, const std::string& topicName, const std::string& item,
             const std::string& data) { notices.push_back(client + "|" + topicName + "|" + item + "|" + data); },
      [this](const std::string& client, std::function<void()> left) {
        watches[client] = std::move(left);
        return PendingHandle();
      }};
};

TEST_F(DirectoryTest, TopicsAnswerByNameOrCaptionWithoutLetterCase) {
  EXPECT_EQ(directory.topics(), (std::vector<std::string>{"orders", "Untitled - Notes"}));
  const auto named = directory.connect(":1.5", "ORDERS");
  ASSERT_TRUE(named.ok());
  EXPECT_EQ(directory.request(named.id, "status").text, "ready\r\n");
  EXPECT_EQ(directory.request(named.id, "missing").refusal, Refusal::NoSuchItem);
  EXPECT_EQ(directory.connect(":1.5", "nope").refusal, Refusal::NoSuchTopic);
  EXPECT_EQ(directory.request(999, "status").refusal, Refusal::NoSuchConversation);

  // A caption is a topic without items: item calls are refused, macros dropped.
  const auto caption = directory.connect(":1.5", "untitled - notes");
  ASSERT_TRUE(caption.ok());
  EXPECT_EQ(directory.request(caption.id, "status").refusal, Refusal::NoSuchItem);
  EXPECT_EQ(directory.poke(caption.id, "status", "x").refusal, Refusal::NoSuchItem);
  EXPECT_EQ(directory.advise(":1.5", caption.id, "status").refusal, Refusal::NoSuchItem);
  EXPECT_TRUE(directory.execute(caption.id, "go").ok());
  EXPECT_TRUE(directory.execute(named.id, "go").ok());
  EXPECT_EQ(topic.macros, (std::vector<std::string>{"go"}));
}

TEST_F(DirectoryTest, LinkedClientsHearOfChangesUntilTheyUnadviseOrLeave) {
  const auto first = directory.connect(":1.5", "orders");
  const auto second = directory.connect(":1.6", "orders");
  ASSERT_TRUE(directory.advise(":1.5", first.id, "status").ok());
  ASSERT_TRUE(directory.advise(":1.6", second.id, "status").ok());
  ASSERT_TRUE(directory.poke(first.id, "status", "shipped").ok());
  EXPECT_EQ(notices, (std::vector<std::string>{":1.5|orders|status|shipped\r\n", ":1.6|orders|status|shipped\r\n"}));

  notices.clear();
  directory.unadvise(second.id, "status");
  leave(":1.5");
  topic.items["status"] = "lost";
  directory.itemChanged(topic, "status");
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(directory.linkCount(), 0u);
  EXPECT_EQ(directory.watchedClients(), 1u);  // :1.6 still has its conversation open
  directory.disconnect(":1.6", second.id);
  EXPECT_EQ(directory.watchedClients(), 0u);
}

TEST_F(DirectoryTest, AConversationOutlivesAOneShotCallerForTheNextCall) {
  const auto opened = directory.connect(":1.7", "orders");
  leave(":1.7");  // gdbus call ends after each call
  EXPECT_EQ(directory.request(opened.id, "status").text, "ready\r\n");
  EXPECT_TRUE(directory.disconnect(":1.8", opened.id).ok());
  EXPECT_EQ(directory.conversationCount(), 0u);

  // Only so many are kept for callers that never come back.
  for (std::size_t i = 0; i < ConversationDirectory::kKeptDeparted + 10; ++i) {
    directory.connect(":2." + std::to_string(i), "orders");
    leave(":2." + std::to_string(i));
  }
  EXPECT_EQ(directory.conversationCount(), ConversationDirectory::kKeptDeparted);
}

}  // namespace
}  // namespace tw::port
