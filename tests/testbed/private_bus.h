#pragma once
// A D-Bus daemon of the test's own, on a socket in a temporary folder, ended with the object. Tests that talk
// over D-Bus use it instead of the machine's buses: nothing they do reaches beyond the test.

#include <memory>
#include <string>

#include "child_process.h"
#include "temp_dir.h"

namespace tw::testbed {

class PrivateBus {
 public:
  // Returns once the bus accepts connections; throws when it does not come up.
  PrivateBus();
  ~PrivateBus();

  // "unix:path=..."
  const std::string& address() const { return address_; }
  // "DBUS_SESSION_BUS_ADDRESS=..." for programs that should use it as their session bus.
  std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=" + address_; }
  const TempDir& dir() const { return dir_; }

  // What `gdbus call` prints (the answer or the error) for one method of a process's conversation object
  // (docs/conversations.md), `name` being the process's bus name.
  std::string callConversation(const std::string& name, const std::string& method,
                               const std::string& arguments = "") const;

 private:
  TempDir dir_;
  std::string address_;
  std::unique_ptr<ChildProcess> daemon_;
};

}  // namespace tw::testbed
