#pragma once
// What every internet function needs around its network exchange.

#include <string>
#include <string_view>

#include "net/net_error.h"

namespace tw {

class ScriptHost;
class TTarnwickBasic;

// Lets the host's events run while the network is waited for; a stop request ends the exchange.
net::KeepWaiting KeepHostRunning(TTarnwickBasic& library);

// The busy pointer for as long as a function talks to the network.
class BusyPointer {
 public:
  explicit BusyPointer(ScriptHost& host);
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  ScriptHost& host_;
};

// A line break or a zero byte would end a protocol line early and start another.
bool BreaksProtocolLine(std::string_view text);

// A variable name written as a bare word among the arguments, with the "," after it; "" when the
// argument is anything else.
std::string ReadVariableName(TTarnwickBasic& library);

}  // namespace tw
