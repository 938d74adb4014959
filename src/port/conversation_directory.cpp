#include "port/conversation_directory.h"

#include <algorithm>

#include "port/conversation_names.h"
#include "text/case_mapping.h"

namespace tw::port {

namespace {

ConversationDirectory::Answer Refused(Refusal refusal, std::string message) {
  ConversationDirectory::Answer answer;
  answer.refusal = refusal;
  answer.message = std::move(message);
  return answer;
}

}  // namespace

const char* RefusalErrorName(Refusal refusal) {
  switch (refusal) {
    case Refusal::NoSuchTopic: return "org.tarnwick.Conversation1.Error.NoSuchTopic";
    case Refusal::NoSuchConversation: return "org.tarnwick.Conversation1.Error.NoSuchConversation";
    case Refusal::NoSuchItem: return "org.tarnwick.Conversation1.Error.NoSuchItem";
    case Refusal::Accepted: break;
  }
  return "org.tarnwick.Conversation1.Error.Failed";
}

std::vector<std::string> WindowCaptionsOf(WindowService& windows, int processId) {
  std::vector<std::string> captions;
  try {
    for (WindowId window : windows.topLevelWindows())
      if (windows.processId(window) == processId)
        if (std::string caption = windows.title(window); !caption.empty()) captions.push_back(std::move(caption));
  } catch (const std::exception&) {
    // no display: no windows
  }
  return captions;
}

ConversationDirectory::ConversationDirectory(Notify notify, Watcher watcher)
    : notify_(std::move(notify)), watcher_(std::move(watcher)) {}

ConversationDirectory::~ConversationDirectory() = default;

void ConversationDirectory::addTopic(ConversationTopic& topic) { topics_.push_back(&topic); }

void ConversationDirectory::removeTopic(ConversationTopic& topic) { std::erase(topics_, &topic); }

ConversationTopic* ConversationDirectory::namedTopic(std::string_view name) const {
  for (ConversationTopic* topic : topics_) {
    const std::string own = topic->topicName();
    if (!own.empty() && SameNameIgnoringCase(own, name)) return topic;
  }
  return nullptr;
}

bool ConversationDirectory::isCaption(std::string_view name) const {
  if (!captions_ || name.empty()) return false;
  const std::vector<std::string> captions = captions_();
  return std::any_of(captions.begin(), captions.end(),
                     [&](const std::string& caption) { return SameNameIgnoringCase(caption, name); });
}

std::vector<std::string> ConversationDirectory::topics() const {
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    if (name.empty()) return;
    for (const std::string& known : names)
      if (SameNameIgnoringCase(known, name)) return;
    names.push_back(name);
  };
  for (const ConversationTopic* topic : topics_) add(topic->topicName());
  if (captions_)
    for (const std::string& caption : captions_()) add(caption);
  return names;
}

ConversationDirectory::Answer ConversationDirectory::connect(const std::string& client, std::string_view topic) {
  if (!namedTopic(topic) && !isCaption(topic))
    return Refused(Refusal::NoSuchTopic, "no topic \"" + std::string(topic) + "\" here");
  watch(client);
  Answer answer;
  answer.id = nextId_++;
  records_[answer.id] = Record{client, std::string(topic), {}};
  return answer;
}

ConversationDirectory::Record* ConversationDirectory::recordOf(std::uint64_t id, Answer& answer) {
  auto found = records_.find(id);
  if (found != records_.end()) return &found->second;
  answer = Refused(Refusal::NoSuchConversation, "no conversation " + std::to_string(id) + " here");
  return nullptr;
}

void ConversationDirectory::watch(const std::string& client) {
  if (!watches_.count(client)) watches_[client] = watcher_(client, [this, client] { clientLeft(client); });
}

void ConversationDirectory::forgetIfIdle(const std::string& client) {
  const bool used = std::any_of(records_.begin(), records_.end(), [&](const auto& entry) {
    return entry.second.client == client && !entry.second.links.empty();
  });
  const bool opened = std::any_of(records_.begin(), records_.end(), [&](const auto& entry) {
    return entry.second.client == client && std::find(departed_.begin(), departed_.end(), entry.first) == departed_.end();
  });
  if (!used && !opened) watches_.erase(client);
}

ConversationTopic* ConversationDirectory::itemTopic(const Record& record, Answer& answer) const {
  if (ConversationTopic* topic = namedTopic(record.topic)) return topic;
  answer = Refused(Refusal::NoSuchItem, "the topic \"" + record.topic + "\" has no items");
  return nullptr;
}

ConversationDirectory::Answer ConversationDirectory::disconnect(const std::string& client, std::uint64_t id) {
  Answer answer;
  const Record* record = recordOf(id, answer);
  if (!record) return answer;
  const std::string owner = record->client;
  records_.erase(id);
  std::erase(departed_, id);
  forgetIfIdle(owner);
  forgetIfIdle(client);
  return answer;
}

ConversationDirectory::Answer ConversationDirectory::request(std::uint64_t id,
                                                             std::string_view item) {
  Answer answer;
  const Record* record = recordOf(id, answer);
  ConversationTopic* topic = record ? itemTopic(*record, answer) : nullptr;
  if (!topic) return answer;
  if (std::optional<std::string> data = topic->itemData(item)) {
    answer.text = std::move(*data);
    return answer;
  }
  return Refused(Refusal::NoSuchItem, "no item \"" + std::string(item) + "\" in the topic");
}

ConversationDirectory::Answer ConversationDirectory::poke(std::uint64_t id,
                                                          std::string_view item, std::string_view text) {
  Answer answer;
  const Record* record = recordOf(id, answer);
  ConversationTopic* topic = record ? itemTopic(*record, answer) : nullptr;
  if (!topic) return answer;
  if (!topic->pokeItem(item, text))
    return Refused(Refusal::NoSuchItem, "no item \"" + std::string(item) + "\" in the topic");
  itemChanged(*topic, item);
  return answer;
}

ConversationDirectory::Answer ConversationDirectory::execute(std::uint64_t id,
                                                             std::string_view macro) {
  Answer answer;
  const Record* record = recordOf(id, answer);
  if (!record) return answer;
  // A caption topic has nobody to take macros: they are dropped, as the client cannot tell.
  if (ConversationTopic* topic = namedTopic(record->topic)) topic->receiveMacro(macro);
  return answer;
}

ConversationDirectory::Answer ConversationDirectory::advise(const std::string& client, std::uint64_t id,
                                                            std::string_view item) {
  Answer answer;
  Record* record = recordOf(id, answer);
  ConversationTopic* topic = record ? itemTopic(*record, answer) : nullptr;
  if (!topic) return answer;
  if (!topic->itemData(item))
    return Refused(Refusal::NoSuchItem, "no item \"" + std::string(item) + "\" in the topic");
  // Change notices go to whoever links, also when another caller opened the conversation.
  if (record->client != client) {
    const std::string before = record->client;
    record->client = client;
    std::erase(departed_, id);
    forgetIfIdle(before);
  }
  record->links.insert(text::LowerCase(item));
  watch(client);
  return answer;
}

ConversationDirectory::Answer ConversationDirectory::unadvise(std::uint64_t id,
                                                              std::string_view item) {
  Answer answer;
  if (Record* record = recordOf(id, answer)) record->links.erase(text::LowerCase(item));
  return answer;
}

void ConversationDirectory::clientLeft(const std::string& client) {
  for (auto& [id, record] : records_) {
    if (record.client != client) continue;
    record.links.clear();
    if (std::find(departed_.begin(), departed_.end(), id) == departed_.end()) departed_.push_back(id);
  }
  while (departed_.size() > kKeptDeparted) {
    records_.erase(departed_.front());
    departed_.erase(departed_.begin());
  }
  watches_.erase(client);
}

std::size_t ConversationDirectory::linkCount() const {
  std::size_t count = 0;
  for (const auto& [id, record] : records_) count += record.links.size();
  return count;
}

void ConversationDirectory::itemChanged(const ConversationTopic& topic, std::string_view item) {
  const std::string lowered = text::LowerCase(item);
  std::vector<std::string> clients;
  for (const auto& [id, record] : records_)
    if (record.links.count(lowered) && namedTopic(record.topic) == &topic &&
        std::find(clients.begin(), clients.end(), record.client) == clients.end())
      clients.push_back(record.client);
  if (clients.empty()) return;
  const std::string data = topic.itemData(item).value_or("");
  for (const std::string& client : clients) notify_(client, topic.topicName(), std::string(item), data);
}

}  // namespace tw::port
