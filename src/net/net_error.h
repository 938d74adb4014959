#pragma once
// How the network clients report what went wrong.

#include <functional>
#include <stdexcept>
#include <string>

namespace tw::net {

// Lets the caller's event loop run while a client waits for the network; answers false when the
// caller wants the exchange ended at once (a stop request).
using KeepWaiting = std::function<bool()>;

// The connection failed: the server could not be reached or went away, a time-out passed, TLS
// could not be set up. The message says what happened and, where there was one, the server's
// last reply.
class NetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The exchange ended because KeepWaiting answered false.
class TransferAborted : public std::runtime_error {
 public:
  TransferAborted() : std::runtime_error("The transfer was stopped") {}
};

}  // namespace tw::net
