#pragma once
// Conversations for unit tests: processes that joined one FakeConversationNetwork reach each other's topics
// as they would on the bus. Calls and answers are queued and handled while each process serves its events,
// so answers arrive as late as on the bus and a process can talk to its own topics.
//
//   FakeConversationNetwork network;
//   FakeDesktop server, client;
//   server.fakeConversations().useNetwork(network, 100);
//   server.conversations().join("brindle");
//
// A bus without a network behaves as if no bus answered: join() fails with ENOENT.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/conversation_directory.h"
#include "port/conversations.h"
#include "port/event_sources.h"

namespace tw::port::fake {

class FakeConversationBus;

class FakeConversationNetwork {
 public:
  FakeConversationNetwork() = default;
  FakeConversationNetwork(const FakeConversationNetwork&) = delete;
  FakeConversationNetwork& operator=(const FakeConversationNetwork&) = delete;

 private:
  friend class FakeConversationBus;
  FakeConversationBus* find(const std::string& name) const;
  std::map<std::string, FakeConversationBus*> names_;  // unique and conversation names
  int nextUnique_ = 1;
};

class FakeConversationBus final : public ConversationBus, public EventSource {
 public:
  FakeConversationBus();
  ~FakeConversationBus() override;
  FakeConversationBus(const FakeConversationBus&) = delete;
  FakeConversationBus& operator=(const FakeConversationBus&) = delete;

  // The network join() puts this process on, under the given process id.
  void useNetwork(FakeConversationNetwork& network, int processId);
  // The process leaves the network as if it had ended; others watching it hear of it.
  void leave();
  // The serving side, for checking what clients left behind.
  ConversationDirectory& directory() { return directory_; }
  const std::string& uniqueName() const { return unique_; }
  void setCaptionSource(std::function<std::vector<std::string>()> captions) {
    directory_.setCaptionSource(std::move(captions));
  }

  void join(const std::string& program) override;
  int joinError() const override { return joinError_; }
  void addTopic(ConversationTopic& topic) override { directory_.addTopic(topic); }
  void removeTopic(ConversationTopic& topic) override { directory_.removeTopic(topic); }
  void itemChanged(const ConversationTopic& topic, std::string_view item) override;

  PendingHandle findProcesses(std::string_view service, ReplyCallback done) override;
  PendingHandle connect(const std::string& process, std::string_view topic, ReplyCallback done) override;
  PendingHandle request(const RemoteConversation& to, std::string_view item, ReplyCallback done) override;
  PendingHandle execute(const RemoteConversation& to, std::string_view macro, ReplyCallback done) override;
  bool poke(const RemoteConversation& to, std::string_view item, std::string_view text) override;
  void disconnect(const RemoteConversation& to) override;
  PendingHandle watchProcess(const std::string& process, std::function<void()> left) override;

  int eventDescriptor() const override { return eventFd_; }
  void serveEvents() override;

  // Signals sent to linked clients: "client topic item data".
  std::vector<std::string> notices;

 private:
  using Work = std::function<void(ConversationDirectory& directory, const std::string& caller, ConversationReply&)>;
  // Queues `work` at the process named `to`; its reply goes back to this process's callback.
  PendingHandle send(const std::string& to, Work work, ReplyCallback done);
  void post(std::function<void()> work);
  bool onNetwork() const { return network_ && !unique_.empty(); }

  struct Watch {
    std::string name;
    std::shared_ptr<bool> alive;
    std::function<void()> left;
  };

  FakeConversationNetwork* network_ = nullptr;
  int processId_ = 0;
  std::string unique_;
  std::string wellKnown_;
  int joinError_;
  ConversationDirectory directory_;
  std::deque<std::function<void()>> inbox_;
  std::vector<Watch> watches_;
  int eventFd_ = -1;
};

}  // namespace tw::port::fake
