#pragma once
// Qt windows of the test process itself on a test bed's X server, and a way to act while the code under test
// waits in an event loop of its own (a modal dialog, an overlay).
//
//   TestBed bed;
//   QtOnBed qt(bed);                      // a QApplication on the bed's display
//   Choreography steps({[&] { return form.isVisible(); }, [&] { form.ButtStop->click(); return true; }},
//                      [&] { form.reject(); });
//   form.Execute();                       // the steps run from its event loop, one after another
//
// Header only: a test that includes it links Qt6::Widgets itself.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "test_bed.h"

namespace tw::testbed {

// The test process's QApplication, on the bed's display through the xcb platform; one at a time.
class QtOnBed {
 public:
  explicit QtOnBed(const TestBed& bed) {
    for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM"})
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    setenv("DISPLAY", bed.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  ~QtOnBed() {
    application_.reset();
    unsetenv("DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
  }
  QtOnBed(const QtOnBed&) = delete;
  QtOnBed& operator=(const QtOnBed&) = delete;

 private:
  int argc_ = 1;
  char name_[8] = "tw-test";
  char* argv_[2] = {name_, nullptr};
  std::vector<std::pair<std::string, std::string>> saved_;
  std::unique_ptr<QApplication> application_;
};

// Steps run from Qt's event loop every 20 ms, one after another: a step is called again until it returns true.
// A step that has not finished by `patience` fails the choreography (failed() tells), the rest are left, and
// `giveUp` ends the wait of the code under test.
class Choreography {
 public:
  explicit Choreography(std::vector<std::function<bool()>> steps, std::function<void()> giveUp,
                        std::chrono::milliseconds patience = kPatience)
      : steps_(std::move(steps)), giveUp_(std::move(giveUp)), patience_(patience) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
    since_ = std::chrono::steady_clock::now();
  }
  bool done() const { return at_ >= steps_.size(); }
  // The step (counted from 0) that ran out of time.
  std::optional<std::size_t> failed() const { return failed_; }

 private:
  void Tick() {
    if (done() || failed_) return timer_.stop();
    if (steps_[at_]()) {
      ++at_;
      since_ = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - since_ > patience_) {
      failed_ = at_;
      if (giveUp_) giveUp_();
    }
  }

  std::vector<std::function<bool()>> steps_;
  std::function<void()> giveUp_;
  std::chrono::milliseconds patience_;
  std::size_t at_ = 0;
  std::optional<std::size_t> failed_;
  std::chrono::steady_clock::time_point since_;
  QTimer timer_;
};

}  // namespace tw::testbed
