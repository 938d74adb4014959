#pragma once
// Conversations between programs. As a server a process offers topics, each with named items that other
// programs request, poke and link to, and takes the macros they send; as a client it opens conversations on
// the topics of other processes. On Linux the session bus carries them; docs/conversations.md describes the
// interface that other programs see.
//
// Everything happens on the program's own thread: answers and incoming calls are handled while the bus is
// served (the bus is an EventSource), never in the middle of other work.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::port {

// A topic this process offers. Item names compare without letter case.
class ConversationTopic {
 public:
  virtual ~ConversationTopic() = default;
  // The topic's name; a topic without a name offers nothing.
  virtual std::string topicName() const = 0;
  // The item's data: its lines, each followed by CR LF; nothing when the topic has no such item.
  virtual std::optional<std::string> itemData(std::string_view item) const = 0;
  // A client poked the item: its lines become the text's lines. False when there is no such item.
  virtual bool pokeItem(std::string_view item, std::string_view text) = 0;
  // A client sent a macro.
  virtual void receiveMacro(std::string_view macro) = 0;
};

// An open conversation on another process's topic: the serving process's bus name and its number for it.
struct RemoteConversation {
  std::string peer;
  std::uint64_t id = 0;
};

struct ConversationReply {
  bool ok = false;
  std::string error;                    // why not: the bus error's name and message, or the system's
  std::string text;                     // a request's answer
  RemoteConversation conversation;      // a connect's answer
  std::vector<std::string> processes;   // the processes of a service, lowest process id first
};

using ReplyCallback = std::function<void(const ConversationReply&)>;

// A call whose answer is on its way, or a watch; dropping it cancels: the callback is never called after that.
class Pending {
 public:
  virtual ~Pending() = default;
};
using PendingHandle = std::unique_ptr<Pending>;

class ConversationBus {
 public:
  virtual ~ConversationBus() = default;

  // Joins the bus as a process of `program`, the file name the program was started under. Does not wait for
  // the bus: a failure that shows up later is reported by joinError() from then on.
  virtual void join(const std::string& program) = 0;
  // 0 while the process is on the bus or joining it; otherwise the error number that keeps it off.
  virtual int joinError() const = 0;

  // ---- Serving ----------------------------------------------------------------------------------------
  // Topics are looked up in the order they were added; then the captions of the process's own windows.
  virtual void addTopic(ConversationTopic& topic) = 0;
  virtual void removeTopic(ConversationTopic& topic) = 0;
  // The item of `topic` has new data: every client linked to it hears of it.
  virtual void itemChanged(const ConversationTopic& topic, std::string_view item) = 0;

  // ---- Client -----------------------------------------------------------------------------------------
  // Each call answers through its callback while the bus is served; the handle cancels it when dropped.
  // Without the bus a call fails at once: nothing is returned and the callback is not called.
  virtual PendingHandle findProcesses(std::string_view service, ReplyCallback done) = 0;
  virtual PendingHandle connect(const std::string& process, std::string_view topic, ReplyCallback done) = 0;
  virtual PendingHandle request(const RemoteConversation& to, std::string_view item, ReplyCallback done) = 0;
  virtual PendingHandle execute(const RemoteConversation& to, std::string_view macro, ReplyCallback done) = 0;
  // Sent without waiting for the answer; false when it could not be sent.
  virtual bool poke(const RemoteConversation& to, std::string_view item, std::string_view text) = 0;
  virtual void disconnect(const RemoteConversation& to) = 0;
  // Calls `left` once `process` has left the bus (at once, on a later serve, when it is gone already).
  virtual PendingHandle watchProcess(const std::string& process, std::function<void()> left) = 0;
};

}  // namespace tw::port
