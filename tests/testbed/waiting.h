#pragma once
// Polling with a deadline: the one way tests wait for other programs. Generous deadlines cost nothing when
// things go well (the wait ends as soon as the condition holds) and keep a loaded machine from failing tests.

#include <chrono>
#include <functional>

namespace tw::testbed {

using namespace std::chrono_literals;

// How long a test waits for another program to start, show a window or react, before it fails.
inline constexpr std::chrono::milliseconds kPatience = 60s;

// Calls `condition` every few milliseconds until it returns true (then true) or `timeout` has passed (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kPatience);

}  // namespace tw::testbed
