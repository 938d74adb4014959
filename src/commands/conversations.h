#pragma once
// The conversation layer of the command library: the script's topic with its items (server side) and the
// numbered channels it opens on other programs' topics (client side), over the platform's conversation bus.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interpreter/interpreter.h"
#include "port/conversations.h"
#include "port/processes.h"

namespace tw {

class TDdeServerConv;

// An item the script publishes on its topic: a list of lines.
class TDdeServerItem {
 public:
  TDdeServerItem(std::string name, TDdeServerConv& conversation) : Name(std::move(name)), conversation_(conversation) {}

  // The first line, empty when there is none.
  std::string Text() const { return Lines.empty() ? std::string() : Lines.front(); }
  // The value becomes the item's one line; linked clients hear of it.
  void SetText(const std::string& value);
  // The lines, each followed by CR LF: what requests and links get.
  std::string Data() const;

  const std::string Name;
  std::vector<std::string> Lines;

 private:
  TDdeServerConv& conversation_;
};

// The script's topic. It is offered on the bus from construction to destruction, under its name once it has
// one; clients request, poke and link to its items and send it macros.
class TDdeServerConv final : public port::ConversationTopic {
 public:
  explicit TDdeServerConv(port::ConversationBus& bus);
  ~TDdeServerConv() override;
  TDdeServerConv(const TDdeServerConv&) = delete;
  TDdeServerConv& operator=(const TDdeServerConv&) = delete;

  // Item names compare without letter case.
  TDdeServerItem* FindItem(std::string_view name);
  TDdeServerItem& AddItem(const std::string& name);
  void ClearItems() { items_.clear(); }
  void ItemChanged(const TDdeServerItem& item) { bus_.itemChanged(*this, item.Name); }

  std::string Name;
  // The last macro received: its lines, each followed by CR LF.
  std::string ReceivedMacro;

  std::string topicName() const override { return Name; }
  std::optional<std::string> itemData(std::string_view item) const override;
  bool pokeItem(std::string_view item, std::string_view text) override;
  void receiveMacro(std::string_view macro) override;

 private:
  port::ConversationBus& bus_;
  NameMap<std::unique_ptr<TDdeServerItem>> items_;  // by lowered name
};

// A channel: one conversation with another program's topic.
class TDdeClientConv {
 public:
  TDdeClientConv(port::ConversationBus& bus, port::ProcessLauncher& launcher, ScriptHost& host)
      : bus_(bus), launcher_(launcher), host_(host) {}
  ~TDdeClientConv() { CloseLink(); }
  TDdeClientConv(const TDdeClientConv&) = delete;
  TDdeClientConv& operator=(const TDdeClientConv&) = delete;

  // Drops any conversation and opens one on (service, topic): the service's processes are tried lowest
  // process id first; when none takes the topic the program `service` is started with the topic as its
  // argument, and its process gets the conversation once it offers the topic (within 10 s).
  bool SetLink(const std::string& service, const std::string& topic);
  // The item's data; empty when there is no conversation, it is busy, or no answer came within 10 s.
  std::string RequestData(const std::string& item);
  // Sends the text without waiting; false when it could not be sent.
  bool PokeData(const std::string& item, const std::string& data);
  // Sends the macro; with `wait` the channel is busy until the server has answered.
  bool ExecuteMacro(const std::string& macro, bool wait);
  void CloseLink();

  bool Connected() const { return conversation_.has_value(); }
  bool Busy() const { return busy_; }
  std::string Service;
  std::string Topic;

 private:
  // Makes the call and waits up to `ms` for its answer; nothing when the call could not be made or no answer
  // came in time (a stop request ends the wait too).
  std::optional<port::ConversationReply> Call(const std::function<port::PendingHandle(port::ReplyCallback)>& call,
                                              int ms);
  // The processes of the service, lowest process id first; nothing without a bus.
  std::optional<std::vector<std::string>> Processes();
  bool TryConnect(const std::string& process);
  // The server left the bus: the channel keeps its number, but has no conversation any more.
  void Reset();

  port::ConversationBus& bus_;
  port::ProcessLauncher& launcher_;
  ScriptHost& host_;
  std::optional<port::RemoteConversation> conversation_;
  port::PendingHandle serverWatch_;
  port::PendingHandle pendingExecute_;
  bool busy_ = false;
};

// What a top-level interpreter keeps of conversations; the interpreters of its sub and function calls share
// it. The topic, its name and the last macro live as long as the interpreter; channels and items only for
// one run.
struct TConversations {
  TConversations(port::ConversationBus& bus, port::ProcessLauncher& launcher, ScriptHost& host)
      : Bus(bus), Launcher(launcher), Host(host), ServerConversation(bus) {}

  // The smallest channel number not in use.
  int FreeChannelNumber() const;
  // The end of a run: every channel closed, every item freed.
  void ClearRuntime();

  port::ConversationBus& Bus;
  port::ProcessLauncher& Launcher;
  ScriptHost& Host;
  TDdeServerConv ServerConversation;
  std::map<int, std::unique_ptr<TDdeClientConv>> Channels;
};

}  // namespace tw
