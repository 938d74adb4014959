#pragma once
// Conversations over the D-Bus session bus through sd-bus: the process owns its conversation name, serves the
// conversation interface and calls that of other processes. docs/conversations.md describes the interface.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/conversation_directory.h"
#include "port/conversations.h"
#include "port/event_sources.h"

struct sd_bus;
struct sd_bus_slot;

namespace tw::port::system {

class SessionBusConversations final : public ConversationBus, public EventSource {
 public:
  // `address` is a D-Bus address such as "unix:path=/run/x/bus"; empty means the session bus of the environment
  // (DBUS_SESSION_BUS_ADDRESS). Nothing is contacted before join().
  explicit SessionBusConversations(std::string address = {});
  ~SessionBusConversations() override;
  SessionBusConversations(const SessionBusConversations&) = delete;
  SessionBusConversations& operator=(const SessionBusConversations&) = delete;

  // The captions of the process's own windows, offered as topics.
  void setCaptionSource(std::function<std::vector<std::string>()> captions);
  // The server side, for checking what clients left behind.
  const ConversationDirectory& directory() const { return directory_; }

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

  int eventDescriptor() const override;
  bool wantsToWrite() const override;
  void serveEvents() override;

  // Runs `work` once the current round of bus messages has been handled (never inside sd-bus's dispatch).
  void defer(std::function<void()> work) { deferred_.push_back(std::move(work)); }
  // The process did not get its name: it cannot serve, but stays on the bus as a client.
  void nameRefused(int error) { joinError_ = error > 0 ? error : EIO; }

  sd_bus* bus() const { return bus_; }
  ConversationDirectory& serving() { return directory_; }

 private:
  // The bus failed: the process is off it from now on. Called outside sd-bus's dispatch only.
  void lose(int error);

  std::string address_;
  sd_bus* bus_ = nullptr;
  sd_bus_slot* objectSlot_ = nullptr;
  int joinError_;
  bool registered_ = false;
  ConversationDirectory directory_;
  std::vector<std::function<void()>> deferred_;
};

}  // namespace tw::port::system
