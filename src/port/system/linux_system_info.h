#pragma once
// Machine facts from the Linux kernel: uname, /proc and the network interfaces.

#include <cstdint>

#include "port/system_info.h"

namespace tw::port::system {

class LinuxSystemInfo final : public SystemInfo {
 public:
  OperatingSystem operatingSystem() override;
  std::vector<std::string> programArguments() override;
  std::optional<int> processorUsage() override;
  std::vector<std::string> ipv4Addresses() override;
  std::string pointToPointAddress() override;
  int processId() override;

 private:
  std::uint64_t lastBusy_ = 0;
  std::uint64_t lastTotal_ = 0;
};

}  // namespace tw::port::system
