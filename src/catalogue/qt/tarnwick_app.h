#pragma once
// The start of tarnwick: one instance per user and display, then the main window.

#include <functional>

namespace tw {

class TMainForm;

// Exit status: 0 when the program ended by Exit, or when it woke an instance already running; 1 when it
// woke one but could not give it an argument; 2 for a usage error, no display, or what this version
// cannot do yet.
// `prepare` completes the main window as soon as it exists (the program hands it the script editor there).
int TarnwickMain(int argc, char** argv, const std::function<void(TMainForm&)>& prepare = {});

}  // namespace tw
