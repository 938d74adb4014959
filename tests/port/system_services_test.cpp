// The services every desktop has: starting programs, opening documents, playing media, system facts and
// the request to end the session, tried against real programs and a private message bus.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "port/desktop.h"
#include "port/system/gstreamer_player.h"
#include "port/system/linux_system_info.h"
#include "port/system/process_launcher.h"
#include "temp_dir.h"
#include "waiting.h"

namespace tw::port::system {
namespace {

using testbed::readFile;
using testbed::TempDir;
using testbed::waitUntil;

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> recordedArguments(const std::filesystem::path& file) {
  if (!waitUntil([&] { return std::filesystem::exists(file); })) return {};
  const std::string all = readFile(file);
  std::vector<std::string> arguments;
  std::string::size_type start = 0, end;
  while ((end = all.find('\0', start)) != std::string::npos) {
    arguments.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

const std::filesystem::path kRecorder = TW_ARGV_RECORDER;

class ProcessLauncherTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path record = dir / "argv";
  ScopedEnv recordTo{"TW_ARGV_RECORD", record.string()};
};

TEST_F(ProcessLauncherTest, StartsAProgramByPathOrByNameWithEachArgumentIntact) {
  PosixProcessLauncher launcher;
  const std::vector<std::string> arguments{"plain", "two words", "", "semi;colon", "ünï\ncode"};
  const StartResult byPath = launcher.start(kRecorder.string(), arguments);
  ASSERT_TRUE(byPath.started) << byPath.error;
  EXPECT_GT(byPath.processId, 0);
  std::vector<std::string> expected{kRecorder.string()};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(recordedArguments(record), expected);

  std::filesystem::remove(record);
  ScopedEnv path("PATH", kRecorder.parent_path().string() + ":/usr/bin:/bin");
  const StartResult byName = launcher.start(kRecorder.filename().string(), {"x"});
  ASSERT_TRUE(byName.started) << byName.error;
  EXPECT_EQ(recordedArguments(record), (std::vector<std::string>{kRecorder.filename().string(), "x"}));
}

TEST_F(ProcessLauncherTest, StartsAProgramInTheFolderItIsGivenAndNotInOneThatIsMissing) {
  PosixProcessLauncher launcher;
  const auto folder = dir / "work folder";
  std::filesystem::create_directory(folder);
  const StartResult started = launcher.start("sh", {"-c", "pwd > where.txt"}, folder.string());
  ASSERT_TRUE(started.started) << started.error;
  EXPECT_TRUE(waitUntil([&] { return readFile(folder / "where.txt") == folder.string() + "\n"; }));

  const StartResult missing = launcher.start("sh", {"-c", "true"}, (dir / "gone").string());
  EXPECT_FALSE(missing.started);
  EXPECT_NE(missing.error.find("gone"), std::string::npos) << missing.error;
}

TEST_F(ProcessLauncherTest, AProgramThatCannotStartIsReportedNotStarted) {
  PosixProcessLauncher launcher;
  const auto notExecutable = dir / "plain.txt";
  std::ofstream(notExecutable) << "just text\n";
  for (const std::string& program : {std::string("tw-no-such-program"), (dir / "missing").string(),
                                    notExecutable.string(), dir.path().string(), std::string()}) {
    const StartResult result = launcher.start(program, {"a"});
    EXPECT_FALSE(result.started) << program;
    EXPECT_FALSE(result.error.empty()) << program;
    EXPECT_NE(result.error.find(program), std::string::npos) << result.error;
  }
}

TEST_F(ProcessLauncherTest, OpensExistingFilesAndUrlsThroughTheOpenerAndRefusesMissingFiles) {
  PosixProcessLauncher launcher(kRecorder.string());
  const auto document = dir / "a b.txt";
  std::ofstream(document) << "x";
  const std::string url = "file://" + dir.path().string() + "/a%20b.txt";

  for (const std::string& target : {document.string(), dir.path().string(), url, std::string("https://example.invalid/p?q=1")}) {
    std::filesystem::remove(record);
    const StartResult result = launcher.open(target);
    ASSERT_TRUE(result.started) << target << ": " << result.error;
    EXPECT_EQ(recordedArguments(record), (std::vector<std::string>{kRecorder.string(), target}));
  }
  std::filesystem::remove(record);
  for (const std::string& target : {(dir / "missing.txt").string(), "file://" + dir.path().string() + "/missing.txt",
                                   std::string()}) {
    const StartResult result = launcher.open(target);
    EXPECT_FALSE(result.started) << target;
    EXPECT_FALSE(result.error.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(record)) << "the opener ran for a missing file";
}

// A WAV file of silence: 16-bit mono at 8 kHz.
void writeWav(const std::filesystem::path& file, int samples) {
  std::ofstream out(file, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const std::uint32_t bytes = static_cast<std::uint32_t>(samples) * 2;
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(8000);
  u32(16000);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(bytes);
  for (int i = 0; i < samples; ++i) u16(0);
}

TEST(GStreamerPlayer, ReportsWhetherPlaybackReallyStarted) {
  TempDir dir;
  writeWav(dir / "tone.wav", 4000);
  std::ofstream(dir / "notes.txt") << "this is not sound\n";
  GStreamerPlayer player("fakesink", "fakesink");
  EXPECT_TRUE(player.play((dir / "tone.wav").string()));
  EXPECT_FALSE(player.play((dir / "notes.txt").string()));
  EXPECT_FALSE(player.play((dir / "missing.wav").string()));
  EXPECT_FALSE(player.play(dir.path().string()));
  EXPECT_TRUE(player.play((dir / "tone.wav").string()));
  player.stop();
}

TEST(GStreamerPlayer, AMissingOutputElementMeansNoPlayback) {
  TempDir dir;
  writeWav(dir / "tone.wav", 800);
  GStreamerPlayer player("tw-no-such-sink", "fakesink");
  EXPECT_FALSE(player.play((dir / "tone.wav").string()));
}

TEST(LinuxSystemInfo, DescribesThisProcessAndMachine) {
  LinuxSystemInfo info;
  EXPECT_EQ(info.operatingSystem().name, "Linux");
  EXPECT_FALSE(info.operatingSystem().release.empty());
  const auto arguments = info.programArguments();
  ASSERT_FALSE(arguments.empty());
  EXPECT_EQ(arguments[0], std::filesystem::canonical("/proc/self/exe").string());
  for (int i = 0; i < 2; ++i) {
    const auto usage = info.processorUsage();
    ASSERT_TRUE(usage.has_value());
    EXPECT_GE(*usage, 0);
    EXPECT_LE(*usage, 100);
  }
  const auto addresses = info.ipv4Addresses();
  ASSERT_FALSE(addresses.empty());
  EXPECT_EQ(addresses.back().rfind("127.", 0), 0u) << "loopback comes last";
}

TEST(OpenDesktop, WithoutAUsableDisplayGivesADesktopThatSaysWhy) {
  const struct {
    std::optional<std::string> display;
    std::string problem;
  } cases[] = {
      {std::nullopt, "no display: DISPLAY is not set"},
      {"", "no display: DISPLAY is not set"},
      {":4097", "no display: cannot open display :4097"},
  };
  for (const auto& c : cases) {
    ScopedEnv display("DISPLAY", c.display);
    const auto desktop = openDesktop();
    EXPECT_FALSE(desktop->hasDisplay());
    EXPECT_EQ(desktop->displayProblem(), c.problem);
    EXPECT_THROW(desktop->windows().activeWindow(), ServiceUnavailable);
    EXPECT_THROW(desktop->toggleKeys().isOn(ToggleKey::CapsLock), ServiceUnavailable);
    EXPECT_EQ(desktop->systemInfo().operatingSystem().name, "Linux");
  }
}

}  // namespace
}  // namespace tw::port::system
