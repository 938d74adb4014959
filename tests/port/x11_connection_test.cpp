// X errors are counted per connection: a trap on one connection sees its own failures and none of another
// thread's connection (the clipboard serves its connection from a thread of its own).

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "port/x11/x11_connection.h"
#include "test_bed.h"

namespace tw::port::x11 {
namespace {

constexpr Window kNoSuchWindow = 0x3fffff1;

TEST(X11ErrorTrap, ErrorsOfAnotherThreadsConnectionDoNotFailATrap) {
  testbed::TestBed bed({.windowManager = false});
  auto noisy = X11Connection::open(bed.display());
  auto quiet = X11Connection::open(bed.display());
  ASSERT_TRUE(noisy && quiet);

  std::atomic<bool> done{false};
  std::atomic<int> noisyFailures{0};
  std::thread errors([&] {
    while (!done) {
      ErrorTrap trap(noisy->display());
      XMapWindow(noisy->display(), kNoSuchWindow);
      if (trap.failed()) ++noisyFailures;
    }
  });
  int spuriousFailures = 0;
  for (int i = 0; i < 300; ++i) {
    ErrorTrap trap(quiet->display());
    XMapWindow(quiet->display(), quiet->root());  // a request that succeeds
    if (trap.failed()) ++spuriousFailures;
  }
  done = true;
  errors.join();
  EXPECT_EQ(spuriousFailures, 0);
  EXPECT_GT(noisyFailures, 0);

  ErrorTrap own(quiet->display());
  XMapWindow(quiet->display(), kNoSuchWindow);
  EXPECT_TRUE(own.failed()) << "a trap still sees its own connection's errors";
}

}  // namespace
}  // namespace tw::port::x11
