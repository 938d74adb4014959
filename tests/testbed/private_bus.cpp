#include "private_bus.h"

#include <filesystem>
#include <stdexcept>

#include "waiting.h"

namespace tw::testbed {

PrivateBus::PrivateBus() : address_("unix:path=" + (dir_ / "bus").string()) {
  daemon_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_},
      LaunchOptions{{}, dir_ / "dbus.log", -1});
  if (!waitUntil([&] { return std::filesystem::exists(dir_ / "bus"); }))
    throw std::runtime_error("the private bus did not come up: " + readFile(dir_ / "dbus.log"));
}

PrivateBus::~PrivateBus() = default;

}  // namespace tw::testbed
