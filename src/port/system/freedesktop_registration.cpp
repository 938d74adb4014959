#include "port/system/freedesktop_registration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "files/system_folders.h"
#include "port/system/run_program.h"

namespace tw::port::system {

namespace {

constexpr const char* kIconName = "application-x-tarnwick-script";
// The MIME database tools may be slow on a loaded machine; they are run only when the registration is made.
constexpr std::chrono::seconds kToolTimeout{60};

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string MimePackage() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         kScriptMimeType +
         "\">\n"
         "    <comment>Morvane Tarnwick</comment>\n"
         "    <sub-class-of type=\"text/plain\"/>\n"
         "    <icon name=\"" +
         kIconName +
         "\"/>\n"
         "    <glob pattern=\"*.tws\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string DesktopEntry(const std::string& opener) {
  return std::string(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=brindle\n"
             "GenericName=Script runner\n"
             "Comment=Runs Morvane Tarnwick scripts\n"
             "Exec=") +
         DesktopExecLine(opener) +
         "\n"
         "Icon=" +
         kIconName +
         "\n"
         "MimeType=" +
         kScriptMimeType +
         ";\n"
         "NoDisplay=true\n"
         "Terminal=false\n";
}

// Writes a file through a temporary one, making its folders first; false when that fails.
bool Put(const std::string& path, const std::string& data) {
  if (!CreateFolders(std::string(FolderPart(path)), 0700)) return false;
  try {
    WriteFileAtomically(path, data);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

std::string DesktopExecLine(const std::string& program) {
  // Inside a quoted argument ", `, $ and \ take a backslash; the string rules of the format then double
  // every backslash. A literal % is written twice.
  std::string line = "\"";
  for (const char c : program) {
    switch (c) {
      case '"':
      case '`':
      case '$': line += "\\\\"; line += c; break;
      case '\\': line += "\\\\\\\\"; break;
      case '%': line += "%%"; break;
      case '\n': line += "\\n"; break;
      case '\t': line += "\\t"; break;
      case '\r': line += "\\r"; break;
      default: line += c;
    }
  }
  return line + "\" %f";
}

std::string DesktopExecProgram(const std::string& exec) {
  // First the string rules of the format, then the quoting of arguments.
  std::string value;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      const char next = exec[++i];
      value += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    } else {
      value += exec[i];
    }
  }
  std::string program;
  std::size_t i = 0;
  if (!value.empty() && value[0] == '"') {
    for (i = 1; i < value.size() && value[i] != '"'; ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      program += value[i];
    }
  } else {
    for (; i < value.size() && value[i] != ' '; ++i) program += value[i];
  }
  std::string unescaped;
  for (std::size_t k = 0; k < program.size(); ++k) {
    unescaped += program[k];
    if (program[k] == '%' && k + 1 < program.size() && program[k + 1] == '%') ++k;
  }
  return unescaped;
}

FreedesktopRegistration::FreedesktopRegistration(std::string dataHome) : dataHome_(WithTrailingSlash(std::move(dataHome))) {}

std::string FreedesktopRegistration::mimePackageFile() const { return dataHome_ + "mime/packages/tarnwick.xml"; }

std::string FreedesktopRegistration::desktopEntryFile() const { return dataHome_ + "applications/" + kScriptDesktopEntry; }

std::string FreedesktopRegistration::iconFile() const {
  return dataHome_ + "icons/hicolor/48x48/mimetypes/" + kIconName + ".png";
}

bool FreedesktopRegistration::isRegistered() {
  if (!Exists(mimePackageFile()) || !Exists(iconFile())) return false;
  std::optional<std::string> entry;
  try {
    entry = ReadWholeFile(desktopEntryFile());
  } catch (const std::exception&) {
    return false;
  }
  if (!entry) return false;
  // An entry whose program has gone (the programs moved or were removed) opens nothing.
  for (std::string_view line : SplitLines(*entry)) {
    if (!line.starts_with("Exec=")) continue;
    const std::string program = DesktopExecProgram(std::string(line.substr(5)));
    return !program.empty() && ::access(program.c_str(), X_OK) == 0;
  }
  return false;
}

bool FreedesktopRegistration::registerScripts(const ScriptAssociation& association) {
  bool ok = Put(mimePackageFile(), MimePackage());
  ok = Put(iconFile(), association.iconPng) && ok;
  ok = Put(desktopEntryFile(), DesktopEntry(association.opener)) && ok;
  if (!ok) return false;
  ok = runForOutput({"update-mime-database", dataHome_ + "mime"}, kToolTimeout).has_value();
  ok = runForOutput({"xdg-mime", "default", kScriptDesktopEntry, kScriptMimeType}, kToolTimeout).has_value() && ok;
  // Desktops that read the applications cache find the entry at once; having no such tool is fine.
  runForOutput({"update-desktop-database", dataHome_ + "applications"}, kToolTimeout);
  return ok;
}

}  // namespace tw::port::system
