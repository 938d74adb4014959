// The functions of conversations with other programs: numbered channels as a client (ddeopen, dderequest,
// ddepoke, ddesendmacro, ddeclose) and the script's own topic with its items as a server (ddeserverstart,
// ddeservergetmacro, ddeserveradditem, ddeservergetitem, ddeserversetitem).

#include <cerrno>
#include <cstdio>

#include "commands/conversations.h"
#include "commands/tarnwick_basic.h"
#include "commands/waiting.h"

namespace tw {

namespace {

void SetError(TTarnwickBasic& library) { library.SetVariable("_ERROR", ScriptValue::Integer(1)); }

// The channel of a channel argument; reports `unknownMessage` when no channel has that number.
TDdeClientConv* FindChannel(TTarnwickBasic& library, const ScriptValue& argument, const char* unknownMessage) {
  std::int32_t number = 0;
  try {
    number = argument.ToInteger();
  } catch (const ScriptFailure&) {
    library.ScriptError("Invalid Channel Value");
    return nullptr;
  }
  auto& channels = library.Conversations->Channels;
  auto found = channels.find(number);
  if (found == channels.end()) {
    library.ScriptError(unknownMessage);
    return nullptr;
  }
  return found->second.get();
}

// Topic and item names follow the rule for names of the script's own things: a letter or "_", then letters,
// digits or "_".
bool ValidName(TTarnwickBasic& library, const std::string& name) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  bool valid = !name.empty() && letter(name[0]);
  for (char c : name) valid = valid && (letter(c) || (c >= '0' && c <= '9'));
  if (!valid) library.ScriptError("'" + name + "' is not a valid name: use a letter or _ followed by letters, digits or _");
  return valid;
}

// Why the program could not offer its topic, in the words of the start-up failure.
std::string JoinFailure(int error) {
  char number[16];
  std::snprintf(number, sizeof number, "%X", static_cast<unsigned>(error));
  if (error == ENOMEM) return "Error occurred when DDE ran out of memory ($0" + std::string(number) + ")";
  switch (error) {
    case ENOENT: case ECONNREFUSED: case ENOMEDIUM: case ENOTCONN: case ECONNRESET: case ETIMEDOUT:
    case EHOSTUNREACH: case ENETUNREACH: case ENXIO: case EADDRNOTAVAIL: case EPIPE:
      return "DDE Error - conversation not established ($0" + std::string(number) + ")";
    default: break;
  }
  return "An error returned from DDE  ($0" + std::string(number) + ")";
}

void DdeOpen(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string service = library.ReadArgument();
  const std::string topic = library.ReadArgument();
  if (service.empty() || topic.empty()) {
    library.ScriptError("Syntax Error");
    return;
  }
  if (library.CheckMode) return;
  TConversations& conversations = *library.Conversations;
  const int number = conversations.FreeChannelNumber();
  // The channel is in the table before it connects; one that fails keeps its number until closed.
  auto& channel = conversations.Channels[number];
  channel = std::make_unique<TDdeClientConv>(conversations.Bus, conversations.Launcher, conversations.Host);
  if (channel->SetLink(service, topic))
    result = ScriptValue::Integer(number);
  else
    SetError(library);
}

void DdeRequest(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue channelText(library.ReadArgument());
  const std::string item = library.ReadArgument();
  if (library.CheckMode || item.empty()) return;
  if (TDdeClientConv* channel = FindChannel(library, channelText, "Channel not Found"))
    result = ScriptValue(channel->RequestData(item));
}

void DdePoke(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const ScriptValue channelText(library.ReadArgument());
  const std::string item = library.ReadArgument();
  const std::string data = library.ReadArgument();
  if (item.empty()) {
    library.ScriptError("Invalid Item Name");
    return;
  }
  if (library.CheckMode) return;
  TDdeClientConv* channel = FindChannel(library, channelText, "Channel not Found");
  if (!channel) return;
  if (!channel->PokeData(item, data)) {
    SetError(library);
    result = ScriptValue::Integer(0);
  }
}

void DdeSendMacro(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const ScriptValue channelText(library.ReadArgument());
  const std::string macro = library.ReadArgument();
  if (library.CheckMode || macro.empty()) return;
  TDdeClientConv* channel = FindChannel(library, channelText, "Invalid Channel Value");
  if (!channel) return;
  if (!channel->ExecuteMacro(macro, true)) {
    SetError(library);
    result = ScriptValue::Integer(0);
  }
}

void DdeClose(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue channelText(library.ReadArgument());
  if (library.CheckMode) return;
  if (!FindChannel(library, channelText, "Channel not Found")) return;
  library.Conversations->Channels.erase(channelText.ToInteger());
}

void DdeServerStart(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string topic = library.ReadArgument();
  if (topic.empty()) {
    library.ScriptError("Syntax Error");
    return;
  }
  if (library.CheckMode || !ValidName(library, topic)) return;
  TConversations& conversations = *library.Conversations;
  conversations.ServerConversation.Name = topic;
  conversations.ServerConversation.ReceivedMacro.clear();
  if (const int error = conversations.Bus.joinError()) library.ScriptError(JoinFailure(error));
}

void DdeServerGetMacro(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue modeText = library.ReadOptionalArgument(ScriptValue::Integer(1));
  std::int32_t mode = 0;
  try {
    mode = modeText.ToInteger();
  } catch (const ScriptFailure&) {
  }
  if (mode != 1 && mode != 2) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  TDdeServerConv& server = library.Conversations->ServerConversation;
  if (mode == 2) {
    server.ReceivedMacro.clear();
    // Waits as a pause does (the program's windows locked), until a macro arrives or the run is stopped.
    library.WaitUntil([&server] { return !server.ReceivedMacro.empty(); }, -1, true);
  }
  result = ScriptValue(server.ReceivedMacro);
  server.ReceivedMacro.clear();
}

void DdeServerAddItem(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string item = library.ReadArgument();
  if (item.empty()) {
    library.ScriptError("Invalid Item Name");
    return;
  }
  if (library.CheckMode) return;
  TDdeServerConv& server = library.Conversations->ServerConversation;
  if (server.FindItem(item) || !ValidName(library, item)) return;
  server.AddItem(item);
}

void DdeServerGetItem(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string item = library.ReadArgument();
  if (item.empty()) {
    library.ScriptError("Invalid Item Name");
    return;
  }
  if (library.CheckMode) return;
  if (const TDdeServerItem* found = library.Conversations->ServerConversation.FindItem(item))
    result = ScriptValue(found->Text());
}

void DdeServerSetItem(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string item = library.ReadArgument();
  const std::string value = library.ReadArgument();
  if (item.empty()) {
    library.ScriptError("Invalid Item Name");
    return;
  }
  if (library.CheckMode) return;
  if (TDdeServerItem* found = library.Conversations->ServerConversation.FindItem(item)) found->SetText(value);
}

}  // namespace

void AddConversationFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("ddeopen", DdeOpen);
  handlers.AddFunction("dderequest", DdeRequest);
  handlers.AddFunction("ddepoke", DdePoke);
  handlers.AddFunction("ddesendmacro", DdeSendMacro);
  handlers.AddFunction("ddeclose", DdeClose);
  handlers.AddFunction("ddeserverstart", DdeServerStart);
  handlers.AddFunction("ddeservergetmacro", DdeServerGetMacro);
  handlers.AddFunction("ddeserveradditem", DdeServerAddItem);
  handlers.AddFunction("ddeservergetitem", DdeServerGetItem);
  handlers.AddFunction("ddeserversetitem", DdeServerSetItem);
}

}  // namespace tw
