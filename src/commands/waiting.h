#pragma once
// The command library's one way to wait: the host's events run, and services registered as event sources
// (the conversation bus) are served as soon as they have traffic.

#include <chrono>
#include <functional>

#include "interpreter/script_host.h"

namespace tw {

// Serves events until `done` holds (then true), `timeout` has passed or a stop is requested (then false).
// Without `done` it waits for the whole time, or until a stop request.
bool WaitServingEvents(ScriptHost& host, std::chrono::milliseconds timeout, const std::function<bool()>& done = {});

}  // namespace tw
