#include "port/system/session_bus_conversations.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "port/conversation_names.h"

namespace tw::port::system {

namespace {

using Answer = ConversationDirectory::Answer;
using Reader = std::function<void(sd_bus_message*, ConversationReply&)>;

SessionBusConversations& Self(void* userdata) { return *static_cast<SessionBusConversations*>(userdata); }

std::string Sender(sd_bus_message* m) {
  const char* sender = sd_bus_message_get_sender(m);
  return sender ? sender : "";
}

// The directory's answer as the method's return (built by `reply` when given) or as its named error.
int Finish(sd_bus_message* m, sd_bus_error* error, const Answer& answer) {
  if (!answer.ok()) return sd_bus_error_set(error, RefusalErrorName(answer.refusal), BusText(answer.message).c_str());
  return sd_bus_reply_method_return(m, "");
}

int OnTopics(sd_bus_message* m, void* userdata, sd_bus_error*) {
  sd_bus_message* reply = nullptr;
  int r = sd_bus_message_new_method_return(m, &reply);
  if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "s");
  for (const std::string& topic : Self(userdata).serving().topics())
    if (r >= 0) r = sd_bus_message_append_basic(reply, 's', BusText(topic).c_str());
  if (r >= 0) r = sd_bus_message_close_container(reply);
  if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
  sd_bus_message_unref(reply);
  return r;
}

int OnConnect(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  const char* topic = nullptr;
  if (const int r = sd_bus_message_read(m, "s", &topic); r < 0) return r;
  const Answer answer = Self(userdata).serving().connect(Sender(m), topic);
  if (!answer.ok()) return Finish(m, error, answer);
  return sd_bus_reply_method_return(m, "t", static_cast<uint64_t>(answer.id));
}

int OnDisconnect(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  if (const int r = sd_bus_message_read(m, "t", &id); r < 0) return r;
  return Finish(m, error, Self(userdata).serving().disconnect(Sender(m), id));
}

int OnRequest(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  const char* item = nullptr;
  if (const int r = sd_bus_message_read(m, "ts", &id, &item); r < 0) return r;
  const Answer answer = Self(userdata).serving().request(id, item);
  if (!answer.ok()) return Finish(m, error, answer);
  return sd_bus_reply_method_return(m, "s", BusText(answer.text).c_str());
}

int OnPoke(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  const char* item = nullptr;
  const char* text = nullptr;
  if (const int r = sd_bus_message_read(m, "tss", &id, &item, &text); r < 0) return r;
  return Finish(m, error, Self(userdata).serving().poke(id, item, text));
}

int OnExecute(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  const char* macro = nullptr;
  if (const int r = sd_bus_message_read(m, "ts", &id, &macro); r < 0) return r;
  return Finish(m, error, Self(userdata).serving().execute(id, macro));
}

int OnAdvise(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  const char* item = nullptr;
  if (const int r = sd_bus_message_read(m, "ts", &id, &item); r < 0) return r;
  return Finish(m, error, Self(userdata).serving().advise(Sender(m), id, item));
}

int OnUnadvise(sd_bus_message* m, void* userdata, sd_bus_error* error) {
  uint64_t id = 0;
  const char* item = nullptr;
  if (const int r = sd_bus_message_read(m, "ts", &id, &item); r < 0) return r;
  return Finish(m, error, Self(userdata).serving().unadvise(id, item));
}

constexpr sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD_WITH_NAMES("Topics", "", "", "as", SD_BUS_PARAM(topics), OnTopics, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Connect", "s", SD_BUS_PARAM(topic), "t", SD_BUS_PARAM(conversation), OnConnect,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Disconnect", "t", SD_BUS_PARAM(conversation), "", "", OnDisconnect,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Request", "ts", SD_BUS_PARAM(conversation) SD_BUS_PARAM(item), "s",
                             SD_BUS_PARAM(text), OnRequest, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Poke", "tss", SD_BUS_PARAM(conversation) SD_BUS_PARAM(item) SD_BUS_PARAM(text), "",
                             "", OnPoke, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Execute", "ts", SD_BUS_PARAM(conversation) SD_BUS_PARAM(macro), "", "", OnExecute,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Advise", "ts", SD_BUS_PARAM(conversation) SD_BUS_PARAM(item), "", "", OnAdvise,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Unadvise", "ts", SD_BUS_PARAM(conversation) SD_BUS_PARAM(item), "", "", OnUnadvise,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL_WITH_NAMES("Changed", "sss", SD_BUS_PARAM(topic) SD_BUS_PARAM(item) SD_BUS_PARAM(text), 0),
    SD_BUS_VTABLE_END,
};

int OnNameReply(sd_bus_message* m, void* userdata, sd_bus_error*) {
  if (sd_bus_message_is_method_error(m, nullptr)) {
    Self(userdata).nameRefused(sd_bus_message_get_errno(m));
    return 0;
  }
  uint32_t result = 0;
  // 1: the process owns the name. Anything else means another connection has it.
  if (sd_bus_message_read(m, "u", &result) < 0 || result != 1) Self(userdata).nameRefused(EEXIST);
  return 0;
}

// A call on its way; its slot is the call, dropping it cancels the answer.
class PendingCall final : public Pending {
 public:
  PendingCall(ReplyCallback done, Reader read) : done_(std::move(done)), read_(std::move(read)) {}
  ~PendingCall() override { sd_bus_slot_unref(slot_); }

  static int OnReply(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* call = static_cast<PendingCall*>(userdata);
    ConversationReply reply;
    if (const sd_bus_error* error = sd_bus_message_get_error(m)) {
      reply.error = std::string(error->name ? error->name : "error") + ": " + (error->message ? error->message : "");
    } else {
      reply.ok = true;
      if (call->read_) call->read_(m, reply);
    }
    const ReplyCallback done = call->done_;  // the callback may drop the handle
    done(reply);
    return 0;
  }

  sd_bus_slot* slot_ = nullptr;

 private:
  ReplyCallback done_;
  Reader read_;
};

// Watches one bus name: told when its owner goes away, and asked once the watch is in place whether it is
// there at all, so that a process gone before the watch began is noticed too.
class ProcessWatch final : public Pending {
 public:
  ProcessWatch(SessionBusConversations& owner, std::string name, std::function<void()> left)
      : owner_(owner), name_(std::move(name)), left_(std::move(left)) {}
  ~ProcessWatch() override {
    *alive_ = false;
    sd_bus_slot_unref(match_);
    sd_bus_slot_unref(check_);
  }

  bool start() {
    const std::string rule =
        "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
        "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='" + name_ + "'";
    return sd_bus_add_match_async(owner_.bus(), &match_, rule.c_str(), OnOwnerChanged, OnWatching, this) >= 0;
  }

 private:
  void fire() {
    owner_.defer([alive = alive_, left = left_] {
      if (*alive) left();
    });
  }

  static int OnOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) >= 0 && after && !*after)
      static_cast<ProcessWatch*>(userdata)->fire();
    return 0;
  }

  static int OnWatching(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* watch = static_cast<ProcessWatch*>(userdata);
    if (sd_bus_message_is_method_error(m, nullptr)) return 0;  // cannot watch: assume it stays
    sd_bus_call_method_async(watch->owner_.bus(), &watch->check_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "GetNameOwner", OnOwner, watch, "s", watch->name_.c_str());
    return 0;
  }

  static int OnOwner(sd_bus_message* m, void* userdata, sd_bus_error*) {
    if (sd_bus_message_is_method_error(m, "org.freedesktop.DBus.Error.NameHasNoOwner"))
      static_cast<ProcessWatch*>(userdata)->fire();
    return 0;
  }

  SessionBusConversations& owner_;
  std::string name_;
  std::function<void()> left_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  sd_bus_slot* match_ = nullptr;
  sd_bus_slot* check_ = nullptr;
};

}  // namespace

SessionBusConversations::SessionBusConversations(std::string address)
    : address_(std::move(address)),
      joinError_(ENOTCONN),
      directory_(
          [this](const std::string& client, const std::string& topic, const std::string& item,
                 const std::string& data) {
            if (!bus_) return;
            sd_bus_message* signal = nullptr;
            int r = sd_bus_message_new_signal(bus_, &signal, kConversationPath, kConversationInterface, "Changed");
            if (r >= 0) r = sd_bus_message_set_destination(signal, client.c_str());
            if (r >= 0)
              r = sd_bus_message_append(signal, "sss", BusText(topic).c_str(), BusText(item).c_str(),
                                        BusText(data).c_str());
            if (r >= 0) sd_bus_send(bus_, signal, nullptr);
            sd_bus_message_unref(signal);
          },
          [this](const std::string& client, std::function<void()> left) {
            return watchProcess(client, std::move(left));
          }) {}

SessionBusConversations::~SessionBusConversations() {
  if (registered_) RemoveEventSource(*this);
  sd_bus_slot_unref(objectSlot_);
  // What was sent without waiting (pokes, closed conversations) still goes out.
  if (bus_) sd_bus_flush_close_unref(bus_);
}

void SessionBusConversations::setCaptionSource(std::function<std::vector<std::string>()> captions) {
  directory_.setCaptionSource(std::move(captions));
}

void SessionBusConversations::join(const std::string& program) {
  if (bus_) return;
  sd_bus* bus = nullptr;
  int r = 0;
  if (address_.empty()) {
    r = sd_bus_open_user(&bus);
  } else {
    r = sd_bus_new(&bus);
    if (r >= 0) r = sd_bus_set_address(bus, address_.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0) r = sd_bus_start(bus);
  }
  if (r < 0) {
    sd_bus_unref(bus);
    joinError_ = -r;
    return;
  }
  bus_ = bus;
  joinError_ = 0;
  const std::string name = ProcessBusName(ServiceLabel(ProgramService(program)), static_cast<int>(::getpid()));
  r = sd_bus_add_object_vtable(bus_, &objectSlot_, kConversationPath, kConversationInterface, kVtable, this);
  // The name is asked for without waiting; the answer arrives while the bus is served.
  if (r >= 0) r = sd_bus_request_name_async(bus_, nullptr, name.c_str(), 0, OnNameReply, this);
  if (r < 0) joinError_ = -r;
  AddEventSource(*this);
  registered_ = true;
}

void SessionBusConversations::lose(int error) {
  joinError_ = error > 0 ? error : EIO;
  if (!bus_) return;
  if (registered_) RemoveEventSource(*this);
  registered_ = false;
  objectSlot_ = sd_bus_slot_unref(objectSlot_);
  sd_bus_close(bus_);
  bus_ = sd_bus_unref(bus_);
}

int SessionBusConversations::eventDescriptor() const { return bus_ ? sd_bus_get_fd(bus_) : -1; }

bool SessionBusConversations::wantsToWrite() const { return bus_ && (sd_bus_get_events(bus_) & POLLOUT); }

void SessionBusConversations::serveEvents() {
  while (bus_) {
    const int r = sd_bus_process(bus_, nullptr);
    if (r < 0) {
      lose(-r);
      break;
    }
    if (r == 0) break;
  }
  while (!deferred_.empty()) {
    std::vector<std::function<void()>> work;
    work.swap(deferred_);
    for (auto& item : work) item();
  }
}

void SessionBusConversations::itemChanged(const ConversationTopic& topic, std::string_view item) {
  directory_.itemChanged(topic, item);
}

namespace {

PendingHandle Call(sd_bus* bus, const std::string& destination, const char* path, const char* interface,
                   const char* member, ReplyCallback done, Reader read,
                   const std::function<int(sd_bus_message*)>& append) {
  if (!bus) return nullptr;
  sd_bus_message* m = nullptr;
  int r = sd_bus_message_new_method_call(bus, &m, destination.c_str(), path, interface, member);
  if (r >= 0 && append) r = append(m);
  auto call = std::make_unique<PendingCall>(std::move(done), std::move(read));
  if (r >= 0) r = sd_bus_call_async(bus, &call->slot_, m, PendingCall::OnReply, call.get(), 0);
  sd_bus_message_unref(m);
  if (r < 0) return nullptr;
  return call;
}

}  // namespace

PendingHandle SessionBusConversations::findProcesses(std::string_view service, ReplyCallback done) {
  const std::string label = ServiceLabel(service);
  Reader read = [label](sd_bus_message* m, ConversationReply& reply) {
    char** names = nullptr;
    if (sd_bus_message_read_strv(m, &names) < 0) {
      reply.ok = false;
      reply.error = "the bus did not list its names";
      return;
    }
    std::vector<std::pair<int, std::string>> found;
    for (char** name = names; name && *name; ++name) {
      if (auto pid = ProcessIdOfService(*name, label)) found.emplace_back(*pid, *name);
      free(*name);  // NOLINT: sd-bus hands out malloc'ed strings
    }
    free(names);  // NOLINT
    std::sort(found.begin(), found.end());
    for (auto& [pid, name] : found) reply.processes.push_back(std::move(name));
  };
  return Call(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames",
              std::move(done), std::move(read), nullptr);
}

PendingHandle SessionBusConversations::connect(const std::string& process, std::string_view topic,
                                               ReplyCallback done) {
  const std::string text = BusText(topic);
  Reader read = [](sd_bus_message* m, ConversationReply& reply) {
    uint64_t id = 0;
    if (sd_bus_message_read(m, "t", &id) < 0) {
      reply.ok = false;
      reply.error = "the answer to Connect was not a conversation";
      return;
    }
    reply.conversation = {Sender(m), id};
  };
  return Call(bus_, process, kConversationPath, kConversationInterface, "Connect", std::move(done), std::move(read),
              [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", text.c_str()); });
}

PendingHandle SessionBusConversations::request(const RemoteConversation& to, std::string_view item,
                                               ReplyCallback done) {
  const std::string text = BusText(item);
  Reader read = [](sd_bus_message* m, ConversationReply& reply) {
    const char* data = nullptr;
    if (sd_bus_message_read(m, "s", &data) < 0) {
      reply.ok = false;
      reply.error = "the answer to Request was not a text";
      return;
    }
    reply.text = data;
  };
  return Call(bus_, to.peer, kConversationPath, kConversationInterface, "Request", std::move(done), std::move(read),
              [&](sd_bus_message* m) { return sd_bus_message_append(m, "ts", to.id, text.c_str()); });
}

PendingHandle SessionBusConversations::execute(const RemoteConversation& to, std::string_view macro,
                                               ReplyCallback done) {
  const std::string text = BusText(macro);
  return Call(bus_, to.peer, kConversationPath, kConversationInterface, "Execute", std::move(done), nullptr,
              [&](sd_bus_message* m) { return sd_bus_message_append(m, "ts", to.id, text.c_str()); });
}

bool SessionBusConversations::poke(const RemoteConversation& to, std::string_view item, std::string_view text) {
  if (!bus_) return false;
  return sd_bus_call_method_async(bus_, nullptr, to.peer.c_str(), kConversationPath, kConversationInterface, "Poke",
                                  nullptr, nullptr, "tss", to.id, BusText(item).c_str(), BusText(text).c_str()) >= 0;
}

void SessionBusConversations::disconnect(const RemoteConversation& to) {
  if (!bus_) return;
  sd_bus_call_method_async(bus_, nullptr, to.peer.c_str(), kConversationPath, kConversationInterface, "Disconnect",
                           nullptr, nullptr, "t", to.id);
}

PendingHandle SessionBusConversations::watchProcess(const std::string& process, std::function<void()> left) {
  if (!bus_) return nullptr;
  auto watch = std::make_unique<ProcessWatch>(*this, process, std::move(left));
  if (!watch->start()) return nullptr;
  return watch;
}

}  // namespace tw::port::system
