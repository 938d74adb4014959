#pragma once
// Facts about the machine and the running program.

#include <optional>
#include <string>
#include <vector>

namespace tw::port {

struct OperatingSystem {
  std::string name;     // "Linux"
  std::string release;  // "6.1.0-18-amd64"
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  virtual OperatingSystem operatingSystem() = 0;
  // The running program's command line: [0] its full path, then its arguments.
  virtual std::vector<std::string> programArguments() = 0;
  // Share of processor time in use, 0 to 100, since the previous call (since start-up on the first call);
  // nullopt when the system does not tell.
  virtual std::optional<int> processorUsage() = 0;
  // The machine's IPv4 addresses in dotted form, loopback last.
  virtual std::vector<std::string> ipv4Addresses() = 0;
  // The IPv4 address of the first network interface that is up and point-to-point (a dial-up link, a VPN
  // tunnel) in dotted form; "" when there is none.
  virtual std::string pointToPointAddress() = 0;
  // This program's own process id.
  virtual int processId() = 0;
};

}  // namespace tw::port
