// Program messages on a private X server with openbox: the sender against receivers in other programs (the
// stand-in on the receiver helper, an xterm marked with xprop), and a receiver in the sending process itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "port/event_sources.h"
#include "port/x11/run_request_receiver.h"
#include "test_bed.h"
#include "x11_desktop_on.h"

namespace tw::testbed {
namespace {

using port::MessageDelivery;

class ProgramMessagesX11 : public ::testing::Test {
 protected:
  ProgramMessagesX11() : bed_({.windowManager = true}), desktop_(OpenDesktopOn(bed_)) {}

  // A stand-in receiver; returns the file its texts go to once its window is marked.
  std::filesystem::path Receiver(const std::string& title, const std::string& instance, const std::string& name,
                                 bool hidden) {
    const auto output = bed_.dir() / (instance + ".texts");
    std::vector<std::string> argv{TW_RUN_REQUEST_RECEIVER_STANDIN, output.string(), title, instance, name};
    if (hidden) argv.push_back("hidden");
    bed_.launch(argv);
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(output.string() + ".ready"); }));
    return output;
  }

  // Serves this process's event sources (a receiver of its own among them) until the delivery is done.
  static bool Delivered(MessageDelivery& delivery, std::chrono::milliseconds timeout = kPatience) {
    return waitUntil(
        [&] {
          port::ServeEventSources();
          return delivery.finished();
        },
        timeout);
  }

  std::string Xprop(const std::vector<std::string>& arguments) {
    const auto output = bed_.dir() / "xprop.out";
    std::vector<std::string> argv{"xprop"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess& xprop = bed_.launch(argv, {{}, output, -1});
    EXPECT_EQ(xprop.waitForExit(kPatience), 0);
    return readFile(output);
  }

  TestBed bed_;
  std::unique_ptr<port::x11::X11Desktop> desktop_;
};

TEST_F(ProgramMessagesX11, MappedAndHiddenReceiversTakeTextsByClassOrTitleInAnyLetterCase) {
  const auto shown = Receiver("Run Requests", "tw-shown", "TwShown", false);
  const auto hidden = Receiver("Hidden Receiver", "tw-hidden", "TwHidden", true);
  bed_.waitForWindow({"Run Requests", "", std::nullopt});
  struct Case {
    port::ReceiverQuery query;
    std::string text;
    std::filesystem::path output;
  };
  const Case cases[] = {
      {{"", "TWSHOWN"}, "/scripts/by class.tws", shown},
      {{"run REQUESTS", ""}, "by title", shown},
      {{"", "TW-HIDDEN"}, "hidden by instance", hidden},
      {{"hidden receiver", ""}, "hidden by title", hidden},
  };
  std::string shownTexts, hiddenTexts;
  for (const Case& c : cases) {
    auto delivery = desktop_->programMessages().send(c.query, c.text);
    ASSERT_TRUE(delivery) << c.text;
    // Done because the receiver took the text, not because it waited in vain: its file holds the text.
    EXPECT_TRUE(Delivered(*delivery)) << c.text;
    (c.output == shown ? shownTexts : hiddenTexts) += c.text + "\n";
    EXPECT_TRUE(waitUntil([&] { return readFile(c.output) == (c.output == shown ? shownTexts : hiddenTexts); }))
        << readFile(c.output);
  }
  // Nothing names a window that is not marked, however well the rest matches.
  EXPECT_FALSE(desktop_->programMessages().send({"", "xterm"}, "x"));
  EXPECT_FALSE(desktop_->programMessages().send({"", ""}, "x"));
}

TEST_F(ProgramMessagesX11, TextsSentWithoutWaitingQueueUpInOrder) {
  const auto output = Receiver("Queue", "tw-queue", "TwQueue", false);
  std::vector<std::unique_ptr<MessageDelivery>> deliveries;
  std::string expected;
  for (int i = 0; i < 50; ++i) {
    // The part after a zero byte never leaves.
    deliveries.push_back(desktop_->programMessages().send({"", "TwQueue"}, "text " + std::to_string(i) + '\0' + "x"));
    ASSERT_TRUE(deliveries.back());
    expected += "text " + std::to_string(i) + "\n";
  }
  for (auto& delivery : deliveries) EXPECT_TRUE(Delivered(*delivery));
  EXPECT_TRUE(waitUntil([&] { return readFile(output) == expected; })) << readFile(output);
}

TEST_F(ProgramMessagesX11, AWindowMarkedWithXpropKeepsTheTextUntilItGoes) {
  const auto marked = bed_.startXterm("marked");
  const auto unmarked = bed_.startXterm("unmarked");
  const std::string id = std::to_string(marked.window);
  Xprop({"-id", id, "-f", "_TARNWICK_RUN_REQUEST_RECEIVER", "32c", "-set", "_TARNWICK_RUN_REQUEST_RECEIVER", "1"});

  auto delivery = desktop_->programMessages().send({"MARKED", ""}, "/home/ann/job.tws");
  ASSERT_TRUE(delivery);
  EXPECT_FALSE(Delivered(*delivery, std::chrono::milliseconds(300)));
  const std::string queued = Xprop({"-id", id, "_TARNWICK_RUN_REQUEST"});
  EXPECT_EQ(queued, "_TARNWICK_RUN_REQUEST(STRING) = \"/home/ann/job.tws\"\n");
  EXPECT_FALSE(desktop_->programMessages().send({"unmarked", ""}, "never"));
  EXPECT_NE(Xprop({"-id", std::to_string(unmarked.window), "_TARNWICK_RUN_REQUEST"}).find("not found"),
            std::string::npos);

  // The sender stops waiting when the window goes.
  marked.process.stop();
  EXPECT_TRUE(Delivered(*delivery));
}

TEST_F(ProgramMessagesX11, AReceiverInTheSendingProcessIsServedWhileItWaits) {
  const unsigned long window = bed_.probe().createWindow("Own Receiver", false);
  std::vector<std::string> taken;
  std::string problem;
  auto receiver = port::x11::RunRequestReceiver::open(
      bed_.display(), window, [&](const std::string& text) { taken.push_back(text); }, problem);
  ASSERT_TRUE(receiver) << problem;
  bed_.waitForWindow({"Own Receiver", "", std::nullopt});

  auto delivery = desktop_->programMessages().send({"own receiver", ""}, "own");
  ASSERT_TRUE(delivery);
  EXPECT_TRUE(Delivered(*delivery));
  EXPECT_EQ(taken, std::vector<std::string>{"own"});

  // Without the receiver the mark is gone, and a window that does not exist cannot receive.
  receiver.reset();
  EXPECT_FALSE(desktop_->programMessages().send({"own receiver", ""}, "late"));
  EXPECT_FALSE(port::x11::RunRequestReceiver::open(bed_.display(), 0x7fffff, [](const std::string&) {}, problem));
  EXPECT_NE(problem.find("does not exist"), std::string::npos) << problem;
}

}  // namespace
}  // namespace tw::testbed
