// Whether a file is open elsewhere, asked through both ways the probe has (a lease, the process table), with
// other processes holding the file open as real programs do.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "port/system/exclusive_open_probe.h"
#include "temp_dir.h"
#include "waiting.h"

namespace tw::port::system {
namespace {

using testbed::ChildProcess;
using testbed::TempDir;
using testbed::waitUntil;

class ExclusiveOpen : public ::testing::TestWithParam<ExclusiveOpenProbe::Method> {
 protected:
  ExclusiveOpen() : probe_(GetParam()), file_((dir_ / "report.txt").string()) {
    std::ofstream(file_) << "data\n";
  }
  // A shell that opens the file on descriptor 3 as `redirect` says and keeps it open until it is killed; once
  // it runs, it tells through a file of its own.
  ChildProcess& Holder(const std::string& redirect) {
    const std::string ready = (dir_ / "ready").string();
    std::filesystem::remove(ready);
    holders_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{
        "sh", "-c", "exec 3" + redirect + "'" + file_ + "'; : > '" + ready + "'; exec sleep 600"}));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(ready); }));
    return *holders_.back();
  }

  TempDir dir_;
  ExclusiveOpenProbe probe_;
  std::string file_;
  std::vector<std::unique_ptr<ChildProcess>> holders_;
};

TEST_P(ExclusiveOpen, FreeOnlyWhileNoOtherDescriptorHasTheFileOpen) {
  EXPECT_TRUE(probe_.opensExclusively(file_));
  for (const char* redirect : {"<", ">>", "<>"}) {
    ChildProcess& holder = Holder(redirect);
    EXPECT_FALSE(probe_.opensExclusively(file_)) << "held with " << redirect;
    holder.stop();
    EXPECT_TRUE(probe_.opensExclusively(file_)) << "after the holder of " << redirect << " ended";
  }
  // This program's own other descriptors count as well.
  const int own = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  EXPECT_FALSE(probe_.opensExclusively(file_));
  ::close(own);
  EXPECT_TRUE(probe_.opensExclusively(file_));

  // Nothing there, a folder, nothing readable: no exclusive open either.
  EXPECT_FALSE(probe_.opensExclusively((dir_ / "missing").string()));
  EXPECT_FALSE(probe_.opensExclusively(dir_.path().string()));
  EXPECT_FALSE(probe_.opensExclusively(""));
}

INSTANTIATE_TEST_SUITE_P(Probe, ExclusiveOpen,
                         ::testing::Values(ExclusiveOpenProbe::Method::LeaseFirst,
                                           ExclusiveOpenProbe::Method::ProcessTableOnly),
                         [](const auto& param) {
                           return param.param == ExclusiveOpenProbe::Method::LeaseFirst ? "Lease" : "ProcessTable";
                         });

TEST(ExclusiveOpenLease, AnotherProgramOpeningTheFileWhileALeaseIsHeldEndsNothing) {
  TempDir dir;
  const std::string file = (dir / "shared.txt").string();
  std::ofstream(file) << "shared\n";
  ExclusiveOpenProbe probe;
  ASSERT_TRUE(probe.opensExclusively(file));  // the probe's first lease sets the guard up

  // Hold a lease as the probe does for a moment, and let another program open the file meanwhile: the kernel
  // tells us with SIGIO, which would end the program unguarded. The opener waits until the lease is let go.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fcntl(fd, F_SETLEASE, F_WRLCK), 0);
  ChildProcess reader({"sh", "-c", "cat '" + file + "' > '" + (dir / "copy").string() + "'"});
  EXPECT_TRUE(waitUntil([&] { return ::fcntl(fd, F_GETLEASE) == F_UNLCK || ::fcntl(fd, F_GETLEASE) == F_RDLCK; }))
      << "the lease break never came";
  ::fcntl(fd, F_SETLEASE, F_UNLCK);
  ::close(fd);
  EXPECT_EQ(reader.waitForExit(testbed::kPatience), 0);
  EXPECT_EQ(testbed::readFile(dir / "copy"), "shared\n");
}

}  // namespace
}  // namespace tw::port::system
