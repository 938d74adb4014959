// Several brindle processes sharing one settings store, and a writer killed half-way.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "child_process.h"
#include "temp_dir.h"
#include "waiting.h"

namespace {

using tw::testbed::ChildProcess;
using tw::testbed::TempDir;
using tw::testbed::waitUntil;

class BrindleRegistry : public ::testing::Test {
 protected:
  std::string Script(const std::string& name, const std::string& prefix, int count) {
    const auto path = dir_ / name;
    std::ofstream(path) << "h = regopen(\"HKEY_CURRENT_USER\", \"Software\\Race\", 1)\n"
                        << "for i = 1 to " << count << "\n"
                        << "  regputint(h, \"" << prefix << "\" + i, i)\nendfor\n";
    return path.string();
  }

  ChildProcess Brindle(const std::string& script) {
    return ChildProcess({BRINDLE_PATH, "--console", script},
                        {.environment = {"XDG_CONFIG_HOME=" + (dir_ / "config").string()},
                         .output = dir_ / (script + ".out")});
  }

  std::string Store() const { return (dir_ / "config/tarnwick/registry.sqlite").string(); }

  // What the sqlite3 program answers to a query on the store (one line per row).
  std::string Sqlite3(const std::string& query) const {
    const std::string command = "sqlite3 -cmd '.timeout 20000' '" + Store() + "' \"" + query + "\" 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[4096];
      while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, got);
      ::pclose(pipe);
    }
    return out;
  }

  int ValueCount() const {
    const std::string count = Sqlite3("SELECT count(*) FROM registry_values");
    return count.empty() || !std::isdigit(static_cast<unsigned char>(count[0])) ? -1 : std::stoi(count);
  }

  TempDir dir_;
};

TEST_F(BrindleRegistry, TwoWritersAtOnceLoseNothing) {
  ChildProcess a = Brindle(Script("a.tws", "a", 1000));
  ChildProcess b = Brindle(Script("b.tws", "b", 1000));
  EXPECT_EQ(a.waitForExit(tw::testbed::kPatience * 3), 0);
  EXPECT_EQ(b.waitForExit(tw::testbed::kPatience * 3), 0);
  EXPECT_EQ(Sqlite3("SELECT count(*), sum(data) FROM registry_values v JOIN registry_keys k ON v.key = k.id "
                    "WHERE k.name = 'Race'"),
            "2000|1001000\n");
  EXPECT_EQ(Sqlite3("SELECT count(*) FROM registry_values WHERE name IN ('a1000', 'b1000', 'a1', 'b1')"), "4\n");
}

TEST_F(BrindleRegistry, AWriterKilledHalfWayLeavesASoundStore) {
  ChildProcess writer = Brindle(Script("w.tws", "w", 1000000));
  ASSERT_TRUE(waitUntil([&] { return ValueCount() >= 200; }));
  ::kill(writer.pid(), SIGKILL);
  ASSERT_EQ(writer.waitForExit(tw::testbed::kPatience), 128 + SIGKILL);
  EXPECT_EQ(Sqlite3("PRAGMA integrity_check"), "ok\n");
  const int committed = ValueCount();
  EXPECT_GE(committed, 200);
  // The store opens and every committed value is there for the next run.
  const auto reader = dir_ / "r.tws";
  std::ofstream(reader) << "h = regopen(\"HKEY_CURRENT_USER\", \"software\\race\")\nprint reggetint(h, \"W200\")\n"
                        << "regputstr(h, \"after\", \"yes\")\n";
  ChildProcess run = Brindle(reader.string());
  EXPECT_EQ(run.waitForExit(tw::testbed::kPatience), 0);
  EXPECT_EQ(tw::testbed::readFile(reader.string() + ".out"), "200\n");
  EXPECT_EQ(ValueCount(), committed + 1);
}

}  // namespace
