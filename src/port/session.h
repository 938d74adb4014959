#pragma once
// Ending the user's session: switching the machine off or restarting it, through the login manager.

#include <string>

namespace tw::port {

enum class SessionEnd { PowerOff, Reboot };

struct SessionEndResult {
  bool accepted = false;  // the login manager took the request
  std::string error;      // why not, when not accepted
};

class SessionControl {
 public:
  virtual ~SessionControl() = default;
  virtual SessionEndResult request(SessionEnd what) = 0;
};

}  // namespace tw::port
