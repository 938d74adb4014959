#pragma once
// The serving side of conversations, the same on every bus: the topics the process offers, the conversations
// clients have opened on them, and the items each conversation is linked to. A bus backend hands it the calls
// of other processes (each with the caller's bus name) and carries its answers and change notices.
//
// A conversation's number is all a caller needs to use it, so that tools which make one call per process
// (gdbus call, busctl) can connect in one call and request in the next. Links belong to the client that
// made them: when it leaves the bus its links go, and its conversations are kept for such tools, the
// oldest dropped once more than kKeptDeparted are kept.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "port/conversations.h"
#include "port/windows.h"

namespace tw::port {

enum class Refusal { Accepted, NoSuchTopic, NoSuchConversation, NoSuchItem };

// The bus error that carries a refusal: "org.tarnwick.Conversation1.Error.NoSuchTopic" and so on.
const char* RefusalErrorName(Refusal refusal);

// The captions of the top-level windows of one process; none without a display.
std::vector<std::string> WindowCaptionsOf(WindowService& windows, int processId);

class ConversationDirectory {
 public:
  struct Answer {
    Refusal refusal = Refusal::Accepted;
    std::string message;  // for a refusal
    std::string text;     // a request's data
    std::uint64_t id = 0;  // a connect's conversation
    bool ok() const { return refusal == Refusal::Accepted; }
  };
  // Sends the new data of a linked item to one client.
  using Notify = std::function<void(const std::string& client, const std::string& topic, const std::string& item,
                                    const std::string& data)>;
  // Starts watching a client; `left` is to be called once it has left the bus.
  using Watcher = std::function<PendingHandle(const std::string& client, std::function<void()> left)>;

  ConversationDirectory(Notify notify, Watcher watcher);
  ~ConversationDirectory();

  // The captions of the process's own windows, offered as topics after the named ones.
  void setCaptionSource(std::function<std::vector<std::string>()> captions) { captions_ = std::move(captions); }
  void addTopic(ConversationTopic& topic);
  void removeTopic(ConversationTopic& topic);
  void itemChanged(const ConversationTopic& topic, std::string_view item);

  std::vector<std::string> topics() const;
  Answer connect(const std::string& client, std::string_view topic);
  Answer disconnect(const std::string& client, std::uint64_t id);
  Answer request(std::uint64_t id, std::string_view item);
  Answer poke(std::uint64_t id, std::string_view item, std::string_view text);
  Answer execute(std::uint64_t id, std::string_view macro);
  Answer advise(const std::string& client, std::uint64_t id, std::string_view item);
  Answer unadvise(std::uint64_t id, std::string_view item);
  // Drops the links of a client that left the bus, and stops watching it.
  void clientLeft(const std::string& client);

  static constexpr std::size_t kKeptDeparted = 256;

  // Open conversations, links and clients watched, for checking that nothing is left behind.
  std::size_t conversationCount() const { return records_.size(); }
  std::size_t linkCount() const;
  std::size_t watchedClients() const { return watches_.size(); }

 private:
  struct Record {
    std::string client;            // who opened it, or who made its links
    std::string topic;             // as the client named it; looked up again on every call
    std::set<std::string> links;   // item names, lowered
  };

  ConversationTopic* namedTopic(std::string_view name) const;
  bool isCaption(std::string_view name) const;
  // The record of `id`; when there is none the refusal is set.
  Record* recordOf(std::uint64_t id, Answer& answer);
  void watch(const std::string& client);
  // Stops watching a client that has no conversation left.
  void forgetIfIdle(const std::string& client);
  // The named topic of a record, or the refusal for item calls on a caption (or a topic no longer offered).
  ConversationTopic* itemTopic(const Record& record, Answer& answer) const;

  Notify notify_;
  Watcher watcher_;
  std::function<std::vector<std::string>()> captions_;
  std::vector<ConversationTopic*> topics_;
  std::map<std::uint64_t, Record> records_;
  std::map<std::string, PendingHandle> watches_;
  std::vector<std::uint64_t> departed_;  // conversations of clients that left, oldest first
  std::uint64_t nextId_ = 1;
};

}  // namespace tw::port
