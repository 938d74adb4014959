#include "private_bus.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "waiting.h"

namespace tw::testbed {
namespace {

// The socket file appears when the daemon binds it, a moment before it listens: only a connection that is
// accepted says the bus is up.
bool acceptsConnections(const std::filesystem::path& socket_path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = socket_path.string();
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

}  // namespace

PrivateBus::PrivateBus() : address_("unix:path=" + (dir_ / "bus").string()) {
  daemon_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_},
      LaunchOptions{{}, dir_ / "dbus.log", -1});
  if (!waitUntil([&] { return acceptsConnections(dir_ / "bus"); }))
    throw std::runtime_error("the private bus did not come up: " + readFile(dir_ / "dbus.log"));
}

PrivateBus::~PrivateBus() = default;

std::string PrivateBus::callConversation(const std::string& name, const std::string& method,
                                         const std::string& arguments) const {
  const std::string command = environment() + " gdbus call --session --dest " + name +
                              " --object-path /org/tarnwick/Conversation --method org.tarnwick.Conversation1." +
                              method + " " + arguments + " 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
  }
  return output;
}

}  // namespace tw::testbed
