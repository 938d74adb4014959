#include "port/system/linux_system_info.h"

#include <arpa/inet.h>
#include <climits>
#include <cstring>
#include <fstream>
#include <ifaddrs.h>
#include <iterator>
#include <net/if.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace tw::port::system {

OperatingSystem LinuxSystemInfo::operatingSystem() {
  utsname names{};
  if (uname(&names) != 0) return {"Linux", ""};
  return {names.sysname, names.release};
}

std::vector<std::string> LinuxSystemInfo::programArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::string::size_type start = 0;
  while (start < all.size()) {
    const auto end = all.find('\0', start);
    arguments.push_back(all.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) {
    const std::string full(path, static_cast<std::size_t>(length));
    if (arguments.empty())
      arguments.push_back(full);
    else
      arguments[0] = full;
  }
  return arguments;
}

std::optional<int> LinuxSystemInfo::processorUsage() {
  std::ifstream in("/proc/stat");
  std::string line;
  if (!std::getline(in, line) || line.rfind("cpu ", 0) != 0) return std::nullopt;
  std::istringstream fields(line.substr(4));
  // user nice system idle iowait irq softirq steal
  std::uint64_t value = 0, total = 0, idle = 0;
  for (int i = 0; i < 8 && fields >> value; ++i) {
    total += value;
    if (i == 3 || i == 4) idle += value;
  }
  const std::uint64_t busy = total - idle;
  const std::uint64_t deltaTotal = total - lastTotal_;
  const std::uint64_t deltaBusy = busy - lastBusy_;
  lastTotal_ = total;
  lastBusy_ = busy;
  if (deltaTotal == 0) return 0;
  return static_cast<int>((deltaBusy * 100 + deltaTotal / 2) / deltaTotal);
}

int LinuxSystemInfo::processId() { return static_cast<int>(getpid()); }

std::vector<std::string> LinuxSystemInfo::ipv4Addresses() {
  std::vector<std::string> addresses, loopback;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    in_addr address{};
    std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, sizeof address);
    char text[INET_ADDRSTRLEN];
    if (!inet_ntop(AF_INET, &address, text, sizeof text)) continue;
    (ntohl(address.s_addr) >> 24 == 127 ? loopback : addresses).push_back(text);
  }
  freeifaddrs(list);
  addresses.insert(addresses.end(), loopback.begin(), loopback.end());
  return addresses;
}

std::string LinuxSystemInfo::pointToPointAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::string found;
  for (const ifaddrs* entry = list; entry && found.empty(); entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    if (!(entry->ifa_flags & IFF_UP) || !(entry->ifa_flags & IFF_POINTOPOINT)) continue;
    in_addr address{};
    std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, sizeof address);
    char text[INET_ADDRSTRLEN];
    if (inet_ntop(AF_INET, &address, text, sizeof text)) found = text;
  }
  freeifaddrs(list);
  return found;
}

}  // namespace tw::port::system
