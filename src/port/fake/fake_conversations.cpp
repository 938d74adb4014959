#include "port/fake/fake_conversations.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "port/conversation_names.h"

namespace tw::port::fake {

namespace {

class FakePending final : public Pending {
 public:
  ~FakePending() override { *alive = false; }
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

}  // namespace

FakeConversationBus* FakeConversationNetwork::find(const std::string& name) const {
  auto found = names_.find(name);
  return found == names_.end() ? nullptr : found->second;
}

FakeConversationBus::FakeConversationBus()
    : joinError_(ENOENT),
      directory_(
          [this](const std::string& client, const std::string& topic, const std::string& item,
                 const std::string& data) { notices.push_back(client + " " + topic + " " + item + " " + data); },
          [this](const std::string& client, std::function<void()> left) {
            return watchProcess(client, std::move(left));
          }) {}

FakeConversationBus::~FakeConversationBus() {
  leave();
  if (eventFd_ >= 0) ::close(eventFd_);
}

void FakeConversationBus::useNetwork(FakeConversationNetwork& network, int processId) {
  network_ = &network;
  processId_ = processId;
}

void FakeConversationBus::join(const std::string& program) {
  if (!network_) return;  // no bus answers: joinError stays ENOENT
  if (!unique_.empty()) return;
  unique_ = ":fake." + std::to_string(network_->nextUnique_++);
  wellKnown_ = ProcessBusName(ServiceLabel(ProgramService(program)), processId_);
  network_->names_[unique_] = this;
  network_->names_[wellKnown_] = this;
  joinError_ = 0;
  eventFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  AddEventSource(*this);
}

void FakeConversationBus::leave() {
  if (!onNetwork()) return;
  RemoveEventSource(*this);
  network_->names_.erase(unique_);
  network_->names_.erase(wellKnown_);
  const std::string unique = unique_, wellKnown = wellKnown_;
  unique_.clear();
  joinError_ = ENOTCONN;
  inbox_.clear();
  for (auto& [name, process] : network_->names_)
    if (name.starts_with(':'))
      for (const Watch& watch : process->watches_)
        if (watch.name == unique || watch.name == wellKnown)
          process->post([alive = watch.alive, left = watch.left] {
            if (*alive) left();
          });
}

void FakeConversationBus::post(std::function<void()> work) {
  inbox_.push_back(std::move(work));
  const std::uint64_t one = 1;
  if (eventFd_ >= 0) [[maybe_unused]] auto written = ::write(eventFd_, &one, sizeof one);
}

void FakeConversationBus::serveEvents() {
  std::uint64_t count = 0;
  if (eventFd_ >= 0) [[maybe_unused]] auto read = ::read(eventFd_, &count, sizeof count);
  while (!inbox_.empty()) {
    auto work = std::move(inbox_.front());
    inbox_.pop_front();
    work();
  }
}

void FakeConversationBus::itemChanged(const ConversationTopic& topic, std::string_view item) {
  directory_.itemChanged(topic, item);
}

PendingHandle FakeConversationBus::send(const std::string& to, Work work, ReplyCallback done) {
  if (!onNetwork()) return nullptr;
  auto pending = std::make_unique<FakePending>();
  FakeConversationNetwork* network = network_;
  const std::string caller = unique_;
  auto answer = [network, caller, alive = pending->alive, done](ConversationReply reply) {
    if (FakeConversationBus* back = network->find(caller))
      back->post([alive, done, reply] {
        if (*alive) done(reply);
      });
  };
  FakeConversationBus* target = network->find(to);
  if (!target) {
    ConversationReply reply;
    reply.error = "org.freedesktop.DBus.Error.ServiceUnknown: no process is named " + to;
    answer(reply);
    return pending;
  }
  target->post([target, caller, work = std::move(work), answer] {
    ConversationReply reply;
    reply.ok = true;
    work(target->directory_, caller, reply);
    if (reply.ok) reply.conversation.peer = target->unique_;
    answer(reply);
  });
  return pending;
}

namespace {

void Take(const ConversationDirectory::Answer& answer, ConversationReply& reply) {
  reply.ok = answer.ok();
  if (!reply.ok) reply.error = std::string(RefusalErrorName(answer.refusal)) + ": " + answer.message;
}

}  // namespace

PendingHandle FakeConversationBus::findProcesses(std::string_view service, ReplyCallback done) {
  if (!onNetwork()) return nullptr;
  const std::string label = ServiceLabel(service);
  auto pending = std::make_unique<FakePending>();
  std::vector<std::pair<int, std::string>> found;
  for (const auto& [name, process] : network_->names_)
    if (auto pid = ProcessIdOfService(name, label)) found.emplace_back(*pid, name);
  std::sort(found.begin(), found.end());
  ConversationReply reply;
  reply.ok = true;
  for (auto& [pid, name] : found) reply.processes.push_back(name);
  post([alive = pending->alive, done = std::move(done), reply] {
    if (*alive) done(reply);
  });
  return pending;
}

PendingHandle FakeConversationBus::connect(const std::string& process, std::string_view topic, ReplyCallback done) {
  return send(
      process,
      [topic = BusText(topic)](ConversationDirectory& directory, const std::string& caller, ConversationReply& reply) {
        const auto answer = directory.connect(caller, topic);
        Take(answer, reply);
        reply.conversation.id = answer.id;
      },
      std::move(done));
}

PendingHandle FakeConversationBus::request(const RemoteConversation& to, std::string_view item, ReplyCallback done) {
  return send(
      to.peer,
      [id = to.id, item = BusText(item)](ConversationDirectory& directory, const std::string&,
                                          ConversationReply& reply) {
        const auto answer = directory.request(id, item);
        Take(answer, reply);
        reply.text = BusText(answer.text);
      },
      std::move(done));
}

PendingHandle FakeConversationBus::execute(const RemoteConversation& to, std::string_view macro, ReplyCallback done) {
  return send(
      to.peer,
      [id = to.id, macro = BusText(macro)](ConversationDirectory& directory, const std::string&,
                                            ConversationReply& reply) {
        Take(directory.execute(id, macro), reply);
      },
      std::move(done));
}

bool FakeConversationBus::poke(const RemoteConversation& to, std::string_view item, std::string_view text) {
  return send(
             to.peer,
             [id = to.id, item = BusText(item), text = BusText(text)](
                 ConversationDirectory& directory, const std::string&, ConversationReply& reply) {
               Take(directory.poke(id, item, text), reply);
             },
             [](const ConversationReply&) {}) != nullptr;  // nobody waits for the answer
}

void FakeConversationBus::disconnect(const RemoteConversation& to) {
  send(
      to.peer,
      [id = to.id](ConversationDirectory& directory, const std::string& caller, ConversationReply& reply) {
        Take(directory.disconnect(caller, id), reply);
      },
      [](const ConversationReply&) {});
}

PendingHandle FakeConversationBus::watchProcess(const std::string& process, std::function<void()> left) {
  if (!onNetwork()) return nullptr;
  auto pending = std::make_unique<FakePending>();
  std::erase_if(watches_, [](const Watch& watch) { return !*watch.alive; });
  watches_.push_back({process, pending->alive, left});
  if (!network_->find(process))
    post([alive = pending->alive, left] {
      if (*alive) left();
    });
  return pending;
}

}  // namespace tw::port::fake
