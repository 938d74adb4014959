#include "port/system/login_manager_session.h"

#include <cstring>
#include <systemd/sd-bus.h>

namespace tw::port::system {
namespace {

std::string describe(int negativeErrno) { return std::strerror(-negativeErrno); }

class Bus {
 public:
  ~Bus() { sd_bus_flush_close_unref(bus_); }
  // 0 or a negative errno.
  int open(const std::string& address) {
    if (address.empty()) return sd_bus_open_system(&bus_);
    int r = sd_bus_new(&bus_);
    if (r >= 0) r = sd_bus_set_address(bus_, address.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(bus_, 1);
    if (r >= 0) r = sd_bus_start(bus_);
    return r;
  }
  sd_bus* get() const { return bus_; }

 private:
  sd_bus* bus_ = nullptr;
};

}  // namespace

SessionEndResult LoginManagerSession::request(SessionEnd what) {
  Bus bus;
  if (const int r = bus.open(busAddress_); r < 0)
    return {false, "cannot reach the login manager's bus: " + describe(r)};
  sd_bus_set_method_call_timeout(bus.get(), 20'000'000);  // microseconds

  sd_bus_error error{};  // what SD_BUS_ERROR_NULL spells as a C compound literal
  sd_bus_message* reply = nullptr;
  const char* method = what == SessionEnd::PowerOff ? "PowerOff" : "Reboot";
  const int r = sd_bus_call_method(bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                                   "org.freedesktop.login1.Manager", method, &error, &reply, "b", 0);
  SessionEndResult result{r >= 0, {}};
  if (r < 0)
    result.error = std::string("the login manager refused ") + method + ": " +
                   (error.message ? error.message : describe(r));
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  return result;
}

}  // namespace tw::port::system
