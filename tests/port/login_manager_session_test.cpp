// Ending the session goes to the login manager over D-Bus. These tests never touch the system bus: each one
// runs a private bus with a stand-in login manager that only records what it is asked.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <systemd/sd-bus.h>
#include <thread>

#include "port/system/login_manager_session.h"
#include "private_bus.h"
#include "temp_dir.h"

namespace tw::port::system {
namespace {

using testbed::TempDir;

// Answers PowerOff(b) and Reboot(b) on org.freedesktop.login1 and notes each call as "Method interactive".
class StandInLoginManager {
 public:
  explicit StandInLoginManager(const std::string& address) {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 || sd_bus_set_bus_client(bus_, 1) < 0 ||
        sd_bus_start(bus_) < 0 || sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/login1",
                                                            "org.freedesktop.login1.Manager", kVtable, this) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.login1", 0) < 0)
      throw std::runtime_error("the stand-in login manager cannot join the bus at " + address);
    thread_ = std::thread([this] {
      while (!stop_) {
        if (sd_bus_process(bus_, nullptr) > 0) continue;
        sd_bus_wait(bus_, 50'000);
      }
    });
  }
  ~StandInLoginManager() {
    stop_ = true;
    thread_.join();
    sd_bus_flush_close_unref(bus_);
  }

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  static int record(sd_bus_message* message, void* self, sd_bus_error*) {
    int interactive = 0;
    if (const int r = sd_bus_message_read(message, "b", &interactive); r < 0) return r;
    auto* manager = static_cast<StandInLoginManager*>(self);
    {
      std::lock_guard lock(manager->mutex_);
      manager->calls_.push_back(std::string(sd_bus_message_get_member(message)) + (interactive ? " true" : " false"));
    }
    return sd_bus_reply_method_return(message, "");
  }

  static constexpr sd_bus_vtable kVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("PowerOff", "b", "", record, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("Reboot", "b", "", record, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END,
  };

  sd_bus* bus_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

class PrivateBus : public ::testing::Test {
 protected:
  testbed::PrivateBus bus;
  std::string address = bus.address();
};

TEST_F(PrivateBus, PowerOffAndRebootReachTheLoginManagerWithoutAskingTheUser) {
  StandInLoginManager manager(address);
  LoginManagerSession session(address);
  const SessionEndResult off = session.request(SessionEnd::PowerOff);
  EXPECT_TRUE(off.accepted) << off.error;
  const SessionEndResult reboot = session.request(SessionEnd::Reboot);
  EXPECT_TRUE(reboot.accepted) << reboot.error;
  EXPECT_EQ(manager.calls(), (std::vector<std::string>{"PowerOff false", "Reboot false"}));
}

TEST_F(PrivateBus, ABusWithoutALoginManagerIsAFailureWithItsReason) {
  const SessionEndResult result = LoginManagerSession(address).request(SessionEnd::PowerOff);
  EXPECT_FALSE(result.accepted);
  EXPECT_NE(result.error.find("PowerOff"), std::string::npos) << result.error;
}

TEST(LoginManagerSession, ABusThatCannotBeReachedIsAFailureWithItsReason) {
  TempDir dir;
  const SessionEndResult result =
      LoginManagerSession("unix:path=" + (dir / "nobody-listens").string()).request(SessionEnd::Reboot);
  EXPECT_FALSE(result.accepted);
  EXPECT_NE(result.error.find("cannot reach"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace tw::port::system
