#pragma once
// Powers the machine off or restarts it through the login manager (org.freedesktop.login1) on D-Bus.

#include <string>

#include "port/session.h"

namespace tw::port::system {

class LoginManagerSession final : public SessionControl {
 public:
  // `busAddress` is a D-Bus address such as "unix:path=/run/x/bus"; empty means the system bus.
  explicit LoginManagerSession(std::string busAddress = {}) : busAddress_(std::move(busAddress)) {}

  // Asks without interaction: where policy wants a password, the request is refused rather than left waiting.
  SessionEndResult request(SessionEnd what) override;

 private:
  std::string busAddress_;
};

}  // namespace tw::port::system
