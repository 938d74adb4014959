#include "commands/conversations.h"

#include <algorithm>
#include <chrono>

#include "commands/waiting.h"
#include "files/file_text.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// How long a client waits for a server's answer, and for a program it started to offer the topic.
constexpr int kAnswerTimeoutMs = 10'000;
// How often a started program is asked again whether it offers the topic yet.
constexpr auto kStartedProgramPoll = std::chrono::milliseconds(100);

}  // namespace

// ---- Server side ----------------------------------------------------------------------------------------

void TDdeServerItem::SetText(const std::string& value) {
  Lines = {value};
  conversation_.ItemChanged(*this);
}

std::string TDdeServerItem::Data() const {
  std::string data;
  for (const std::string& line : Lines) data += line + "\r\n";
  return data;
}

TDdeServerConv::TDdeServerConv(port::ConversationBus& bus) : bus_(bus) { bus_.addTopic(*this); }

TDdeServerConv::~TDdeServerConv() { bus_.removeTopic(*this); }

TDdeServerItem* TDdeServerConv::FindItem(std::string_view name) {
  auto found = items_.find(LowerAscii(name));
  return found == items_.end() ? nullptr : found->second.get();
}

TDdeServerItem& TDdeServerConv::AddItem(const std::string& name) {
  auto& slot = items_[LowerAscii(name)];
  if (!slot) slot = std::make_unique<TDdeServerItem>(name, *this);
  return *slot;
}

std::optional<std::string> TDdeServerConv::itemData(std::string_view item) const {
  auto found = items_.find(LowerAscii(item));
  if (found == items_.end()) return std::nullopt;
  return found->second->Data();
}

bool TDdeServerConv::pokeItem(std::string_view item, std::string_view text) {
  TDdeServerItem* found = FindItem(item);
  if (!found) return false;
  const std::vector<std::string_view> lines = SplitLines(text);
  found->Lines.assign(lines.begin(), lines.end());
  return true;
}

void TDdeServerConv::receiveMacro(std::string_view macro) {
  ReceivedMacro.clear();
  for (std::string_view line : SplitLines(macro)) ReceivedMacro.append(line).append("\r\n");
}

// ---- Client side ----------------------------------------------------------------------------------------

std::optional<port::ConversationReply> TDdeClientConv::Call(
    const std::function<port::PendingHandle(port::ReplyCallback)>& call, int ms) {
  std::optional<port::ConversationReply> answer;
  port::PendingHandle pending = call([&answer](const port::ConversationReply& reply) { answer = reply; });
  if (!pending) return std::nullopt;
  WaitServingEvents(host_, std::chrono::milliseconds(ms), [&answer] { return answer.has_value(); });
  return answer;  // dropping `pending` forgets an answer that is still on its way
}

std::optional<std::vector<std::string>> TDdeClientConv::Processes() {
  const auto reply = Call([&](port::ReplyCallback done) { return bus_.findProcesses(Service, std::move(done)); },
                          kAnswerTimeoutMs);
  if (!reply || !reply->ok) return std::nullopt;
  return reply->processes;
}

bool TDdeClientConv::TryConnect(const std::string& process) {
  const auto reply = Call(
      [&](port::ReplyCallback done) { return bus_.connect(process, Topic, std::move(done)); }, kAnswerTimeoutMs);
  if (!reply || !reply->ok) return false;
  conversation_ = reply->conversation;
  serverWatch_ = bus_.watchProcess(conversation_->peer, [this] { Reset(); });
  return true;
}

bool TDdeClientConv::SetLink(const std::string& service, const std::string& topic) {
  CloseLink();
  Service = service;
  Topic = topic;
  // Without a bus nobody could answer: no program is started then.
  const std::optional<std::vector<std::string>> before = Processes();
  if (!before) return false;
  for (const std::string& process : *before)
    if (TryConnect(process)) return true;

  if (!launcher_.start(service, {topic}).started) return false;
  // The started program joins the bus and offers the topic a moment later; until then each new process of
  // the service is asked again.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
  while (!TBasicInterpreter::StopRequested) {
    for (const std::string& process : Processes().value_or(std::vector<std::string>{}))
      if (std::find(before->begin(), before->end(), process) == before->end() && TryConnect(process)) return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    WaitServingEvents(host_, std::min<std::chrono::milliseconds>(left, kStartedProgramPoll));
  }
  return false;
}

std::string TDdeClientConv::RequestData(const std::string& item) {
  if (!conversation_ || busy_) return "";
  const port::RemoteConversation to = *conversation_;
  const auto reply =
      Call([&](port::ReplyCallback done) { return bus_.request(to, item, std::move(done)); }, kAnswerTimeoutMs);
  if (!reply || !reply->ok) return "";
  return reply->text;
}

bool TDdeClientConv::PokeData(const std::string& item, const std::string& data) {
  if (!conversation_ || busy_) return false;
  return bus_.poke(*conversation_, item, data);
}

bool TDdeClientConv::ExecuteMacro(const std::string& macro, bool wait) {
  if (!conversation_ || busy_) return false;
  busy_ = wait;
  pendingExecute_ = bus_.execute(*conversation_, macro, [this](const port::ConversationReply&) { busy_ = false; });
  if (!pendingExecute_) {
    busy_ = false;
    return false;
  }
  return true;
}

void TDdeClientConv::CloseLink() {
  if (conversation_) bus_.disconnect(*conversation_);
  Reset();
}

void TDdeClientConv::Reset() {
  conversation_.reset();
  serverWatch_.reset();
  pendingExecute_.reset();
  busy_ = false;
}

// ---- Shared state ---------------------------------------------------------------------------------------

int TConversations::FreeChannelNumber() const {
  int number = 1;
  for (const auto& [used, channel] : Channels) {
    if (used != number) break;
    ++number;
  }
  return number;
}

void TConversations::ClearRuntime() {
  Channels.clear();
  ServerConversation.ClearItems();
}

}  // namespace tw
