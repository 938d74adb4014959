#include "commands/program_line.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "text/ascii_text.h"

namespace tw {

namespace {

bool IsExecutableFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

bool FindsExecutable(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutableFile(program);
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= folders.size()) {
    std::size_t colon = folders.find(':', at);
    if (colon == std::string::npos) colon = folders.size();
    std::string folder = folders.substr(at, colon - at);
    if (!folder.empty() && IsExecutableFile(std::filesystem::path(folder) / program)) return true;
    at = colon + 1;
  }
  return false;
}

// Scripts written for Windows name its editor; here the user's own editor opens the file.
bool IsWindowsTextEditor(std::string_view program) {
  return EqualsIgnoringAsciiCase(program, "notepad") || EqualsIgnoringAsciiCase(program, "notepad.exe");
}

}  // namespace

ProgramLine SplitProgramLine(const std::string& commandLine, const std::string& parameters) {
  if (!parameters.empty())
    return {std::string(TrimmedSpacesAndTabs(commandLine)), std::string(TrimmedSpacesAndTabs(parameters))};
  std::size_t semicolon = commandLine.find(';');
  if (semicolon != std::string::npos) {
    std::string rest = commandLine.substr(semicolon + 1);
    for (char& c : rest)
      if (c == ';') c = ' ';
    return {std::string(TrimmedSpacesAndTabs(std::string_view(commandLine).substr(0, semicolon))),
            std::string(TrimmedSpacesAndTabs(rest))};
  }
  const std::string line(TrimmedSpacesAndTabs(commandLine));
  std::size_t blank = line.find(' ');
  if (blank == std::string::npos) return {line, ""};
  return {std::string(TrimmedSpacesAndTabs(std::string_view(line).substr(0, blank))),
          std::string(TrimmedSpacesAndTabs(std::string_view(line).substr(blank + 1)))};
}

std::vector<std::string> SplitArguments(const std::string& parameters) {
  std::vector<std::string> arguments;
  std::string current;
  bool inQuotes = false;
  bool any = false;
  for (char c : parameters) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) arguments.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) arguments.push_back(current);
  return arguments;
}

port::StartResult StartProgramLine(port::ProcessLauncher& launcher, const ProgramLine& line) {
  if (FindsExecutable(line.Program)) return launcher.start(line.Program, SplitArguments(line.Parameters));
  if (IsWindowsTextEditor(line.Program) && !line.Parameters.empty()) return launcher.open(line.Parameters);
  return launcher.open(line.Program);
}

}  // namespace tw
