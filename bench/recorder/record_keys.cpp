// Records the desktop's keys with the keystroke recorder until SIGTERM or SIGINT, then prints the events it
// took, the characters of key-string text they gave and its processor time; SIGUSR1 prints the events taken
// so far. run.sh drives it.
// Usage: record_keys OUTPUT_FILE (the recorded text is written there)

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "port/event_sources.h"
#include "port/x11/x11_desktop.h"
#include "recorder/key_recorder.h"

namespace {

std::atomic<bool> stopping{false};
std::atomic<bool> reporting{false};

double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_keys OUTPUT_FILE\n");
    return 2;
  }
  std::signal(SIGTERM, [](int) { stopping = true; });
  std::signal(SIGINT, [](int) { stopping = true; });
  std::signal(SIGUSR1, [](int) { reporting = true; });
  std::string problem;
  const char* display = std::getenv("DISPLAY");
  auto desktop = tw::port::x11::X11Desktop::open(display ? display : "", problem);
  if (!desktop) {
    std::fprintf(stderr, "record_keys: %s\n", problem.c_str());
    return 1;
  }
  tw::TKeyRecorder recorder(*desktop);
  recorder.OnError = [](const std::string& text) { std::fprintf(stderr, "record_keys: %s\n", text.c_str()); };
  recorder.OnWarning = recorder.OnError;
  if (!recorder.StartRecording()) return 1;
  // Opening the recording (keymap, compose table) is not counted: only serving the events.
  const double before = ProcessorSeconds();
  std::printf("recording\n");
  std::fflush(stdout);
  while (!stopping) {
    tw::port::WaitForEventSources(std::chrono::milliseconds(100));
    tw::port::ServeEventSources();
    if (reporting.exchange(false)) {
      std::printf("taken %zu\n", recorder.EventCount());
      std::fflush(stdout);
    }
  }
  tw::port::ServeEventSources();
  recorder.StopRecording();
  std::ofstream(argv[1], std::ios::binary) << recorder.RecordedText();
  std::printf("events %zu characters %zu cpu_ms %.1f\n", recorder.EventCount(), recorder.RecordedText().size(),
              (ProcessorSeconds() - before) * 1000);
  return 0;
}
