#pragma once
// Texts other programs hand to one window of this program (docs/program-messages.md): tarnwick takes each as
// the name of a script to run.

#include <functional>
#include <memory>
#include <string>

#include "port/event_sources.h"

namespace tw::port {

// Marks `window` (the X id of a top-level window, shown or hidden) as accepting texts and calls `onText` for
// each text, in the order they came, while the event sources are served; the handler queues and returns.
// Receiving ends when the result is dropped. nullptr without a display or window, with `problem` saying why.
std::unique_ptr<EventSource> openRunRequestInbox(unsigned long window, std::function<void(const std::string&)> onText,
                                                 std::string& problem);

}  // namespace tw::port
