#include "runtime/stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace tw::stop_signals {
namespace {

volatile std::sig_atomic_t pending = 0;
volatile std::sig_atomic_t first = 0;

extern "C" void OnStopSignal(int signal) {
  if (first == 0) first = signal;
  pending = 1;
}

}  // namespace

void Install() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

bool TakePending() {
  if (!pending) return false;
  pending = 0;
  return true;
}

int Caught() { return first; }

}  // namespace tw::stop_signals
