#include "port/system/tmux_screen_reader.h"

#include "port/system/run_program.h"
#include "text/utf8.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

extern char** environ;

namespace tw::port::system {
namespace {

namespace fs = std::filesystem;

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitNul(const std::string& data) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    parts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Parent of every process, from /proc/N/stat (the field after the command name, which may hold blanks and
// parentheses itself).
std::multimap<int, int> childrenByParent() {
  std::multimap<int, int> children;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = readWhole(entry.path() / "stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    int parent = 0;
    if (rest >> state >> parent) children.emplace(parent, std::stoi(name));
  }
  return children;
}

bool isTmux(int pid) {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
  return !error && exe.filename() == "tmux";
}

// The first tmux process below `root`, breadth first (the client a terminal runs is close to it).
int tmuxClientBelow(int root) {
  const auto children = childrenByParent();
  std::vector<int> level{root};
  for (int depth = 0; depth < 16 && !level.empty(); ++depth) {
    std::vector<int> next;
    for (int pid : level) {
      auto [from, to] = children.equal_range(pid);
      for (auto it = from; it != to; ++it) {
        if (isTmux(it->second)) return it->second;
        next.push_back(it->second);
      }
    }
    level.swap(next);
  }
  return 0;
}

std::string environmentValue(int pid, const std::string& name) {
  for (const std::string& entry : splitNul(readWhole("/proc/" + std::to_string(pid) + "/environ")))
    if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=')
      return entry.substr(name.size() + 1);
  return {};
}

}  // namespace

std::string TmuxSocketOf(const std::vector<std::string>& commandLine, const std::string& tmuxTmpDir, unsigned uid,
                         const std::string& workingDirectory) {
  std::string label = "default", path;
  // tmux's own options, getopt style: flags may be grouped, and the value of -c -f -L -S -T may follow its
  // letter at once or be the next word.
  for (std::size_t i = 1; i < commandLine.size(); ++i) {
    const std::string& word = commandLine[i];
    if (word == "--" || word.size() < 2 || word[0] != '-') break;
    for (std::size_t at = 1; at < word.size(); ++at) {
      const char letter = word[at];
      if (std::strchr("cfLST", letter) == nullptr) continue;
      std::string value = word.substr(at + 1);
      if (value.empty() && i + 1 < commandLine.size()) value = commandLine[++i];
      if (letter == 'L') label = value;
      if (letter == 'S') path = value;
      break;
    }
  }
  if (!path.empty()) return path[0] == '/' ? path : (fs::path(workingDirectory) / path).string();
  const std::string dir = tmuxTmpDir.empty() ? "/tmp" : tmuxTmpDir;
  return dir + "/tmux-" + std::to_string(uid) + "/" + label;
}

std::optional<TerminalScreen> TmuxScreenReader::screenOfTerminal(int terminalProcess) {
  if (terminalProcess <= 0) return std::nullopt;
  const int client = tmuxClientBelow(terminalProcess);
  if (client == 0) return std::nullopt;
  const std::string proc = "/proc/" + std::to_string(client);
  struct stat info {};
  if (::stat(proc.c_str(), &info) != 0) return std::nullopt;
  std::error_code error;
  const fs::path cwd = fs::read_symlink(proc + "/cwd", error);
  const std::string socket = TmuxSocketOf(splitNul(readWhole(proc + "/cmdline")),
                                          environmentValue(client, "TMUX_TMPDIR"), info.st_uid, cwd.string());
  // The pane the client shows right now, its size in cells, and where it lies in the client's grid.
  const std::string format =
      "#{client_pid} #{pane_id} #{pane_width} #{pane_height} #{client_width} #{client_height} #{pane_left} "
      "#{pane_top} #{status} #{status-position}";
  const auto clients = runForOutput({tmux_, "-S", socket, "list-clients", "-F", format});
  if (!clients) return std::nullopt;
  std::istringstream lines(*clients);
  std::string line, pane;
  int columns = 0, rows = 0;
  std::optional<ScreenPlacement> placement;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int pid = 0, width = 0, height = 0, clientWidth = 0, clientHeight = 0, left = 0, top = 0;
    std::string id, status, position;
    if (!(fields >> pid >> id >> width >> height) || pid != client) continue;
    pane = id;
    columns = width;
    rows = height;
    if (fields >> clientWidth >> clientHeight >> left >> top >> status >> position)
      placement = PanePlacement(clientWidth, clientHeight, left, top, status, position);
  }
  if (pane.empty()) return std::nullopt;
  const auto text = runForOutput({tmux_, "-u", "-S", socket, "capture-pane", "-p", "-N", "-t", pane});
  if (!text) return std::nullopt;
  std::vector<std::string> printed;
  std::istringstream in(*text);
  while (std::getline(in, line)) printed.push_back(line);
  return TerminalScreen{PaneScreen(std::move(printed), columns, rows), placement};
}

ScreenPlacement PanePlacement(int clientWidth, int clientHeight, int paneLeft, int paneTop, const std::string& status,
                              const std::string& statusPosition) {
  // `status` is off, on (one line) or the number of lines; the window starts below the lines at the top.
  int statusLines = 0;
  if (status == "on")
    statusLines = 1;
  else if (status.size() == 1 && status[0] >= '2' && status[0] <= '5')
    statusLines = status[0] - '0';
  const int windowTop = statusPosition == "top" ? statusLines : 0;
  return {clientWidth, clientHeight, paneLeft, paneTop + windowTop};
}

std::vector<std::string> PaneScreen(std::vector<std::string> lines, int columns, int rows) {
  if (rows > 0 && lines.size() < static_cast<std::size_t>(rows)) lines.resize(static_cast<std::size_t>(rows));
  const auto width = static_cast<std::size_t>(std::max(columns, 0));
  for (std::string& row : lines)
    if (const std::size_t characters = text::CharacterCount(row); characters < width)
      row.append(width - characters, ' ');
  return lines;
}

}  // namespace tw::port::system
