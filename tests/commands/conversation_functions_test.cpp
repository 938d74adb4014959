// The conversation functions over the fake bus: processes of a test talk to each other and to themselves.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::fake::FakeConversationNetwork;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

// One process on the network: its desktop, joined under `program` with the given process id.
struct Process {
  Process(FakeConversationNetwork& network, const std::string& program, int pid) {
    desktop.fakeConversations().useNetwork(network, pid);
    desktop.conversations().join(program);
  }
  FakeDesktop desktop;
};

// A topic of another process with one item, `who`, that names the process.
struct OtherServer {
  OtherServer(FakeConversationNetwork& network, const std::string& program, int pid, const std::string& topicName)
      : process(network, program, pid) {
    topic.Name = topicName;
    topic.AddItem("who").SetText(program);
  }
  Process process;
  TDdeServerConv topic{process.desktop.conversations()};
};

TEST(ConversationFunctions, FailuresAndTheirMessages) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"x = ddeopen(\"\", \"t\")", "Syntax Error"},
      {"x = ddeopen(\"s\", \"\")", "Syntax Error"},
      {"x = dderequest(\"x\", \"item\")", "Invalid Channel Value"},
      {"x = dderequest(5, \"item\")", "Channel not Found"},
      {"x = ddepoke(1, \"\", \"data\")", "Invalid Item Name"},
      {"x = ddepoke(5, \"item\", \"data\")", "Channel not Found"},
      {"x = ddesendmacro(5, \"go\")", "Invalid Channel Value"},
      {"x = ddesendmacro(\"x\", \"go\")", "Invalid Channel Value"},
      {"x = ddeclose(5)", "Channel not Found"},
      {"x = ddeclose(\"x\")", "Invalid Channel Value"},
      {"x = ddeserverstart(\"\")", "Syntax Error"},
      {"x = ddeserverstart(\"my topic\")",
       "'my topic' is not a valid name: use a letter or _ followed by letters, digits or _"},
      {"x = ddeservergetmacro(3)", "Invalid Value"},
      {"x = ddeserveradditem(\"\")", "Invalid Item Name"},
      {"x = ddeserveradditem(\"1st\")",
       "'1st' is not a valid name: use a letter or _ followed by letters, digits or _"},
      {"x = ddeservergetitem(\"\")", "Invalid Item Name"},
      {"x = ddeserversetitem(\"\", \"v\")", "Invalid Item Name"},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    FakeDesktop desktop;
    auto run = RunOnFakeDesktop(c.script, desktop, host);
    EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt(c.error, 1)})) << c.script;
  }
  // Empty requests and macros do nothing, also on channels that do not exist; so does an unknown item.
  RecordingHost host;
  FakeDesktop desktop;
  auto run = RunOnFakeDesktop(
      "print \"[\" + dderequest(\"x\", \"\") + \"]\"\nprint ddesendmacro(9, \"\")\n"
      "print ddeserversetitem(\"never\", \"v\")\nprint \"[\" + ddeservergetitem(\"never\") + \"]\"",
      desktop, host);
  EXPECT_EQ(run.Output, "[]\n1\n0\n[]\n");
  EXPECT_TRUE(run.Errors.empty());
}

TEST(ConversationFunctions, WithoutABusClientsFailQuietlyAndTheServerSaysWhy) {
  RecordingHost host;
  FakeDesktop desktop;  // on no network: joining found no bus
  desktop.conversations().join("brindle");
  auto run = RunOnFakeDesktop(
      "c = ddeopen(\"brindle\", \"orders\")\nprint c\nprint _ERROR\nx = ddeserverstart(\"orders\")\n",
      desktop, host);
  EXPECT_EQ(run.Output, "0\n1\n");
  EXPECT_TRUE(desktop.fakeProcesses().starts().empty());  // nobody to reach: nothing started
  EXPECT_EQ(run.Errors,
            (std::vector<std::string>{ErrorAt("DDE Error - conversation not established ($02)", 4)}));
}

TEST(ConversationFunctions, ChannelsTakeTheSmallestFreeNumberAndReachTheirOwnServers) {
  FakeConversationNetwork network;
  OtherServer alpha(network, "alpha", 100, "t");
  OtherServer beta(network, "beta", 200, "T2");
  RecordingHost host;
  Process client(network, "brindle", 300);
  auto run = RunOnFakeDesktop(
      "a = ddeopen(\"alpha\", \"T\")\nb = ddeopen(\"beta\", \"t2\")\nx = ddeclose(a)\nc = ddeopen(\"Alpha\", \"t\")\n"
      "print a\nprint b\nprint c\nprint dderequest(c, \"who\") + dderequest(b, \"WHO\")\n"
      "print \"[\" + dderequest(c, \"nothing\") + \"]\"",
      client.desktop, host);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
  EXPECT_EQ(run.Output, "1\n2\n1\nalpha\r\nbeta\r\n\n[]\n");
}

TEST(ConversationFunctions, AScriptTalksToItsOwnTopic) {
  FakeConversationNetwork network;
  Process self(network, "brindle", 100);
  RecordingHost host;
  auto run = RunOnFakeDesktop(
      "ddeserverstart(\"orders\")\nddeserveradditem(\"status\")\nddeserversetitem(\"status\", \"ready\")\n"
      "c = ddeopen(\"brindle\", \"ORDERS\")\nprint c\nprint dderequest(c, \"status\")\n"
      "print ddepoke(c, \"Status\", \"shipped\" + chr(13) + chr(10) + \"late\")\n"
      "print dderequest(c, \"status\")\nprint ddeservergetitem(\"status\")\n"
      "print ddesendmacro(c, \"go\")\nprint ddeservergetmacro(2)\n",
      self.desktop, host);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
  EXPECT_EQ(run.Output, "1\nready\r\n\n1\nshipped\r\nlate\r\n\nshipped\n1\ngo\r\n\n");
}

TEST(ConversationFunctions, TheTopicAndTheLastMacroOutliveARunButChannelsAndItemsDoNot) {
  FakeConversationNetwork network;
  Process self(network, "brindle", 100);
  RecordingHost host;
  VariableTable globals;
  TTarnwickBasic library(host, self.desktop);
  library.SetGlobals(&globals);
  library.SetScriptText(
      "ddeserverstart(\"orders\")\nddeserveradditem(\"status\")\nc = ddeopen(\"brindle\", \"orders\")\n"
      "x = ddesendmacro(c, \"left for later\")\npause 0.2\n",
      "first.tws");
  library.Run(0);
  library.SetScriptText(
      "print ddeservergetmacro()\nc = ddeopen(\"brindle\", \"orders\")\nprint c\n"
      "print \"[\" + dderequest(c, \"status\") + \"]\"\n",
      "second.tws");
  library.Run(0);
  EXPECT_TRUE(host.ScriptErrors.empty()) << host.ScriptErrors[0];
  EXPECT_EQ(host.Output(), "left for later\r\n\n1\n[]\n");
}

TEST(ConversationFunctions, AChannelWhoseServerLeftFailsFromThenOn) {
  FakeConversationNetwork network;
  auto beta = std::make_unique<OtherServer>(network, "beta", 200, "t");
  RecordingHost host;
  Process client(network, "brindle", 300);
  host.OnPump = [&] {
    if (beta && host.Pumps > 0 && !host.Prints.empty()) beta.reset();  // the server ends after the first print
  };
  auto run = RunOnFakeDesktop(
      "c = ddeopen(\"beta\", \"t\")\nprint dderequest(c, \"who\")\npause 0.2\n"
      "print \"[\" + dderequest(c, \"who\") + \"]\"\nprint ddepoke(c, \"who\", \"x\")\nprint _ERROR\n"
      "print ddesendmacro(c, \"go\")",
      client.desktop, host);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
  EXPECT_EQ(run.Output, "beta\r\n\n[]\n0\n1\n0\n");
}

}  // namespace
}  // namespace tw
