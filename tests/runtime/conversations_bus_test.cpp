// Conversations between real programs, each test on a D-Bus daemon of its own: brindle with brindle, and
// brindle with peers nobody here wrote (gdbus, python3-dbus clients and stand-ins).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "child_process.h"
#include "commands/conversations.h"
#include "port/system/session_bus_conversations.h"
#include "private_bus.h"
#include "temp_dir.h"
#include "waiting.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using testbed::ChildProcess;
using testbed::readFile;
using testbed::waitUntil;

constexpr const char* kPython = "/usr/bin/python3";  // the interpreter python3-dbus is installed for

struct Outcome {
  int status = -1;
  std::string output;  // stdout and stderr
};

class BusConversations : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(bus.dir() / name, std::ios::binary) << text;
    return bus.dir() / name;
  }

  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv, const std::string& output,
                                      std::vector<std::string> environment = {}) {
    environment.insert(environment.begin(), bus.environment());  // the test's own entries win
    return std::make_unique<ChildProcess>(argv, testbed::LaunchOptions{environment, bus.dir() / output, -1});
  }

  // brindle in the terminal, its output in `output`.
  std::unique_ptr<ChildProcess> Brindle(const std::string& script, const std::string& output,
                                        std::vector<std::string> environment = {}) {
    return Start({"env", "-u", "DISPLAY", BRINDLE_PATH, "--console", Write(script + ".tws", scripts_[script]).string()},
                 output, std::move(environment));
  }

  Outcome Finish(ChildProcess& process, const std::string& output) {
    Outcome outcome;
    if (auto status = process.waitForExit(testbed::kPatience)) outcome.status = *status;
    outcome.output = readFile(bus.dir() / output);
    return outcome;
  }

  Outcome Run(const std::vector<std::string>& argv) {
    const std::string output = "run-" + std::to_string(runs_++) + ".txt";
    auto process = Start(argv, output);
    return Finish(*process, output);
  }

  Outcome Gdbus(const std::string& name, const std::string& method, const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> argv{"gdbus", "call", "--session", "--dest", name, "--object-path",
                                  "/org/tarnwick/Conversation", "--method", "org.tarnwick.Conversation1." + method};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv);
  }

  // Every name on the bus, as gdbus prints them.
  std::string BusNames() {
    return Run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.ListNames"})
        .output;
  }

  // The bus name of the process of `service` once it offers `topic`.
  std::string WaitForTopic(const std::string& service, const std::string& topic) {
    std::string found;
    const std::regex name("org\\.tarnwick\\.Conversation\\." + service + "\\.p[0-9]+");
    const bool offered = waitUntil([&] {
      const std::string names = BusNames();
      for (std::sregex_iterator it(names.begin(), names.end(), name), end; it != end; ++it)
        if (Gdbus(it->str(), "Topics").output.find("'" + topic + "'") != std::string::npos) {
          found = it->str();
          return true;
        }
      return false;
    });
    EXPECT_TRUE(offered) << service << " never offered " << topic;
    return found;
  }

  testbed::PrivateBus bus;
  std::map<std::string, std::string> scripts_;
  int runs_ = 0;
};

const char* kOrdersServer =
    "ddeserverstart(\"orders\")\n"
    "ddeserveradditem(\"status\")\n"
    "ddeserversetitem(\"status\", \"ready\")\n"
    "m = ddeservergetmacro(2)\n"
    "print \"macro [\" + m + \"]\"\n"
    "print \"status \" + ddeservergetitem(\"status\")\n";

TEST_F(BusConversations, TwoBrindlesRequestPokeAndSendAMacro) {
  scripts_["server"] = kOrdersServer;
  scripts_["client"] =
      "c = ddeopen(\"brindle\", \"ORDERS\")\n"
      "print c\n"
      "print \"[\" + dderequest(c, \"status\") + \"]\"\n"
      "print ddepoke(c, \"status\", \"shipped\")\n"
      "print ddesendmacro(c, \"go\")\n";
  auto server = Brindle("server", "server.txt");
  WaitForTopic("brindle", "orders");
  auto client = Brindle("client", "client.txt");
  const Outcome clientDone = Finish(*client, "client.txt");
  EXPECT_EQ(clientDone.status, 0);
  EXPECT_EQ(clientDone.output, "1\n[ready\r\n]\n1\n1\n");
  const Outcome serverDone = Finish(*server, "server.txt");
  EXPECT_EQ(serverDone.status, 0);
  EXPECT_EQ(serverDone.output, "macro [go\r\n]\nstatus shipped\n");
}

TEST_F(BusConversations, GdbusReachesAScriptsTopicItemsAndMacros) {
  scripts_["server"] = kOrdersServer;
  auto server = Brindle("server", "server.txt");
  const std::string name = WaitForTopic("brindle", "orders");
  EXPECT_EQ(Gdbus(name, "Topics").output, "(['orders'],)\n");
  const Outcome connected = Gdbus(name, "Connect", {"Orders"});
  std::smatch id;
  ASSERT_TRUE(std::regex_search(connected.output, id, std::regex("uint64 ([0-9]+)"))) << connected.output;
  // Each gdbus call is a process of its own: the conversation outlives the one that opened it.
  EXPECT_EQ(Gdbus(name, "Request", {id[1], "status"}).output, "('ready\\r\\n',)\n");
  EXPECT_EQ(Gdbus(name, "Poke", {id[1], "STATUS", "shipped"}).output, "()\n");

  const Outcome noItem = Gdbus(name, "Request", {id[1], "nothing"});
  EXPECT_NE(noItem.status, 0);
  EXPECT_NE(noItem.output.find("org.tarnwick.Conversation1.Error.NoSuchItem"), std::string::npos) << noItem.output;
  const Outcome noTopic = Gdbus(name, "Connect", {"elsewhere"});
  EXPECT_NE(noTopic.output.find("org.tarnwick.Conversation1.Error.NoSuchTopic"), std::string::npos)
      << noTopic.output;
  const Outcome noConversation = Gdbus(name, "Request", {"999", "status"});
  EXPECT_NE(noConversation.output.find("org.tarnwick.Conversation1.Error.NoSuchConversation"), std::string::npos)
      << noConversation.output;

  EXPECT_EQ(Gdbus(name, "Execute", {id[1], "go"}).output, "()\n");
  EXPECT_EQ(Finish(*server, "server.txt").output, "macro [go\r\n]\nstatus shipped\n");
}

TEST_F(BusConversations, APythonClientHearsOfChangesWhileLinkedAndNotAfterUnadvise) {
  scripts_["server"] =
      "ddeserverstart(\"orders\")\nddeserveradditem(\"status\")\nddeserversetitem(\"status\", \"ready\")\n"
      "m = ddeservergetmacro(2)\nddeserversetitem(\"status\", \"first\")\n"
      "m = ddeservergetmacro(2)\nddeserversetitem(\"status\", \"second\")\n"
      "m = ddeservergetmacro(2)\nprint \"last macro \" + m\n";
  auto server = Brindle("server", "server.txt");
  const std::string name = WaitForTopic("brindle", "orders");
  const Outcome client = Run({kPython, TW_BUS_PEERS "/advise_client.py", name, "orders", "status"});
  EXPECT_EQ(client.output,
            "linked\nchanged orders status 'first\\r\\n'\nafter unadvise 'second\\r\\n', changes 0\n");
  EXPECT_EQ(Finish(*server, "server.txt").output, "last macro end\r\n\n");
}

TEST_F(BusConversations, ASecondMacroWhileTheFirstIsUnansweredFailsAndALaterOneWorks) {
  const fs::path log = bus.dir() / "macros.txt";
  auto standIn = Start({kPython, TW_BUS_PEERS "/slow_server.py", "slowpoke", log.string()}, "standin.txt");
  ASSERT_TRUE(waitUntil([&] {
    return BusNames().find("org.tarnwick.Conversation.slowpoke.p") != std::string::npos;
  }));
  scripts_["client"] =
      "c = ddeopen(\"slowpoke\", \"anything\")\nprint ddesendmacro(c, \"one\")\nprint ddesendmacro(c, \"two\")\n"
      "print _ERROR\npause 5\nprint ddesendmacro(c, \"three\")\n";
  auto client = Brindle("client", "client.txt");
  EXPECT_EQ(Finish(*client, "client.txt").output, "1\n0\n1\n1\n");
  EXPECT_TRUE(waitUntil([&] { return readFile(log) == "one\nthree\n"; })) << readFile(log);
}

TEST_F(BusConversations, OpeningAServiceThatIsNotRunningStartsItWithTheTopic) {
  // The helper on PATH records its arguments and becomes a brindle serving under the helper's name.
  scripts_["desk"] = kOrdersServer;
  const fs::path desk = Write("desk.tws", scripts_["desk"]);
  const fs::path helpers = bus.dir() / "bin";
  fs::create_directories(helpers);
  const fs::path helper = helpers / "orderdesk";
  std::ofstream(helper) << "#!/bin/bash\necho \"$#:$1\" > '" << (bus.dir() / "args.txt").string() << "'\n"
                        << "exec timeout 120 bash -c 'exec -a orderdesk \"$0\" --console \"$1\"' " << BRINDLE_PATH
                        << " '" << desk.string() << "' > '" << (bus.dir() / "desk.txt").string() << "' 2>&1\n";
  fs::permissions(helper, fs::perms::owner_all);
  scripts_["client"] =
      "c = ddeopen(\"orderdesk\", \"orders\")\nprint c\nprint dderequest(c, \"status\")\n"
      "x = ddesendmacro(c, \"end\")\n";
  auto client = Brindle("client", "client.txt",
                        {"PATH=" + helpers.string() + ":" + std::string(std::getenv("PATH"))});
  EXPECT_EQ(Finish(*client, "client.txt").output, "1\nready\r\n\n");
  EXPECT_EQ(readFile(bus.dir() / "args.txt"), "1:orders\n");
  EXPECT_TRUE(waitUntil([&] { return readFile(bus.dir() / "desk.txt") == "macro [end\r\n]\nstatus ready\n"; }))
      << readFile(bus.dir() / "desk.txt");
}

TEST_F(BusConversations, ChannelNumbersAreReusedAndEachReachesItsOwnServer) {
  for (const char* topic : {"alpha", "beta"})
    scripts_[topic] = std::string("ddeserverstart(\"") + topic + "\")\nddeserveradditem(\"who\")\n" +
                      "ddeserversetitem(\"who\", \"" + topic + "\")\nm = ddeservergetmacro(2)\n";
  auto alpha = Brindle("alpha", "alpha.txt");
  auto beta = Brindle("beta", "beta.txt");
  WaitForTopic("brindle", "alpha");
  WaitForTopic("brindle", "beta");
  scripts_["client"] =
      "a = ddeopen(\"brindle\", \"alpha\")\nb = ddeopen(\"brindle\", \"beta\")\nx = ddeclose(a)\n"
      "c = ddeopen(\"brindle\", \"alpha\")\nprint a\nprint b\nprint c\n"
      "print dderequest(c, \"who\") + dderequest(b, \"who\")\n"
      "x = ddesendmacro(b, \"end\")\nx = ddesendmacro(c, \"end\")\n";
  auto client = Brindle("client", "client.txt");
  EXPECT_EQ(Finish(*client, "client.txt").output, "1\n2\n1\nalpha\r\nbeta\r\n\n");
  EXPECT_EQ(Finish(*alpha, "alpha.txt").status, 0);
  EXPECT_EQ(Finish(*beta, "beta.txt").status, 0);
}

TEST_F(BusConversations, AScriptRequestsItsOwnTopicWithoutDeadlock) {
  scripts_["self"] =
      "ddeserverstart(\"mine\")\nddeserveradditem(\"value\")\nddeserversetitem(\"value\", \"42\")\n"
      "c = ddeopen(\"brindle\", \"mine\")\nprint dderequest(c, \"value\")\n";
  auto self = Brindle("self", "self.txt");
  const Outcome done = Finish(*self, "self.txt");
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.output, "42\r\n\n");
}

TEST_F(BusConversations, WithoutABusScriptsRunAndOnlyTheServerComplains) {
  scripts_["lonely"] =
      "c = ddeopen(\"brindle\", \"orders\")\nprint c\nprint _ERROR\nx = ddeserverstart(\"orders\")\nprint \"never\"\n";
  auto lonely = Brindle("lonely", "lonely.txt", {"DBUS_SESSION_BUS_ADDRESS=unix:path=" +
                                                 (bus.dir() / "nobody-listens").string()});
  const Outcome done = Finish(*lonely, "lonely.txt");
  EXPECT_EQ(done.status, 1);
  EXPECT_EQ(done.output,
            "0\n1\n[" + (bus.dir() / "lonely.tws").string() +
                "] Error: DDE Error - conversation not established ($02) on line: 4\n");
}

// A server in this process, so that what a killed client left behind can be counted.
class HeldTopic : public BusConversations {
 protected:
  port::system::SessionBusConversations conversations{bus.address()};
};

TEST_F(HeldTopic, AClientKilledWhileLinkedLeavesNothingBehind) {
  conversations.join("holder");
  TDdeServerConv topic(conversations);
  topic.Name = "orders";
  TDdeServerItem& status = topic.AddItem("status");
  status.SetText("ready");
  const std::string name = "org.tarnwick.Conversation.holder.p" + std::to_string(::getpid());
  // The name and the client's calls are answered while this test serves the bus, as a script's waits do.
  ASSERT_TRUE(waitUntil([&] {
    conversations.serveEvents();
    return BusNames().find(name) != std::string::npos;
  }));
  auto client = Start({kPython, TW_BUS_PEERS "/advise_client.py", name, "orders", "status", "hold"}, "client.txt");
  ASSERT_TRUE(waitUntil([&] {
    conversations.serveEvents();
    return conversations.directory().linkCount() == 1;
  })) << readFile(bus.dir() / "client.txt");
  EXPECT_EQ(conversations.directory().watchedClients(), 1u);
  client->stop();
  EXPECT_TRUE(waitUntil([&] {
    conversations.serveEvents();
    return conversations.directory().linkCount() == 0 && conversations.directory().watchedClients() == 0;
  }));
  status.SetText("nobody hears this");
  EXPECT_EQ(conversations.directory().linkCount(), 0u);
}

}  // namespace
}  // namespace tw
