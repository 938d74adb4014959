#pragma once
// The signals that ask a run to stop: SIGINT (Ctrl+C), SIGTERM (kill, timeout, a session ending) and
// SIGHUP (the terminal went away). Each ends the run cleanly at its next check, so files are written
// and closed, temporary files removed and no key stays pressed; the exit status is then 128 + signal.

namespace tw::stop_signals {

// Catches the three signals for the rest of the process. Blocking reads (a prompt waiting for input) are
// interrupted rather than resumed, so that they can end too. SIGPIPE is ignored: a broken display
// connection or output pipe shows as an error of its own instead of killing the process silently.
void Install();
// True once after each caught signal: the host turns it into a stop of the run.
bool TakePending();
// The first signal caught since Install(); 0 when none.
int Caught();

}  // namespace tw::stop_signals
