// FTP: ftpconnect, ftpexec and ftpdisconnect over the session the interpreter keeps.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "commands/file_mask.h"
#include "commands/internet_session.h"
#include "commands/network_calls.h"
#include "commands/tarnwick_basic.h"
#include "files/atomic_file.h"
#include "files/system_folders.h"
#include "interpreter/builtins.h"
#include "net/server_address.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr const char* kAnonymousUser = "anonymous";
constexpr const char* kAnonymousPassword = "guest@example.org";
constexpr int kFtpPort = 21;

// A name the server listed that may be used as a local file name: no folder part, neither "."
// nor "..". A listing that answers with paths ("pub/a.txt" for the folder "pub/") has its
// folder taken off first.
std::optional<std::string> PlainName(std::string name, std::string_view listedFolder) {
  if (!listedFolder.empty() && name.rfind(listedFolder, 0) == 0) name.erase(0, listedFolder.size());
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return std::nullopt;
  return name;
}

// The listing of the mask's folder, restricted to the plain names that match the mask.
std::optional<std::vector<std::string>> ListMatching(TFtpSession& ftp, std::string_view mask,
                                                     const net::KeepWaiting& keepWaiting) {
  const std::string_view folder = FolderPart(mask);
  std::string_view pattern = NamePart(mask);
  if (pattern.empty()) pattern = "*";
  auto listed = ftp.Client().listNames(folder, keepWaiting);
  if (!listed) return std::nullopt;
  std::vector<std::string> names;
  for (std::string& entry : *listed)
    if (auto name = PlainName(std::move(entry), folder); name && MaskMatches(pattern, *name)) names.push_back(*name);
  return names;
}

int Get(TFtpSession& ftp, std::string_view mask, const net::KeepWaiting& keepWaiting) {
  auto names = ListMatching(ftp, mask, keepWaiting);
  ftp.Listing = names ? std::move(*names) : std::vector<std::string>();
  const std::string folder(FolderPart(mask));
  int count = 0;
  for (const std::string& name : ftp.Listing) {
    // The old file stays untouched until the new one has arrived whole.
    AtomicFileWriter local(ftp.LocalDir + name, {.syncBeforeRename = false});
    bool arrived = false;
    try {
      arrived = ftp.Client().download(
          folder + name, [&](std::string_view data) { return local.Write(data); }, keepWaiting);
    } catch (const net::NetError&) {
      if (local.Failed()) local.Commit();  // throws with the reason the local file could not be written
      throw;
    }
    if (!arrived) break;
    local.Commit();
    ++count;
  }
  return count;
}

// Regular files of a local folder whose names match the mask, by name; names that begin with "." are
// left out.
std::vector<std::string> LocalFiles(const std::string& folder, std::string_view pattern) {
  std::vector<std::string> names;
  DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) return names;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.' || !MaskMatches(pattern, name)) continue;
    struct stat info {};
    if (::stat((folder + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
  }
  ::closedir(directory);
  std::sort(names.begin(), names.end());
  return names;
}

int Put(TFtpSession& ftp, std::string_view mask, const net::KeepWaiting& keepWaiting) {
  std::string folder(FolderPart(mask));
  if (folder.empty() || folder[0] != '/') folder = ftp.LocalDir + folder;
  std::string_view pattern = NamePart(mask);
  if (pattern.empty()) pattern = "*";
  int count = 0;
  for (const std::string& name : LocalFiles(folder, pattern)) {
    if (!ftp.Client().upload(folder + name, name, keepWaiting)) break;
    ++count;
  }
  return count;
}

void FtpConnect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string host = library.ReadArgument();
  const std::string user = library.ReadOptionalArgument(ScriptValue(kAnonymousUser)).ToText();
  const std::string password = library.ReadOptionalArgument(ScriptValue(kAnonymousPassword)).ToText();
  const std::string proxy = library.ReadOptionalArgument(ScriptValue("")).ToText();
  const ScriptValue portText = library.ReadOptionalArgument(ScriptValue::Integer(kFtpPort));
  if (library.CheckMode) return;
  std::int32_t port = 0;
  if (host.empty() || user.empty() || BreaksProtocolLine(host) || BreaksProtocolLine(user) ||
      BreaksProtocolLine(password) || BreaksProtocolLine(proxy)) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (!IntegerArgument(library, portText, port)) return;
  if (port < 0 || port > 65535) {
    library.ScriptError("Invalid Value");
    return;
  }
  TFtpSession& ftp = library.Internet->Ftp;
  if (ftp.Client().busy()) return;
  const net::ServerAddress server = net::ParseServerAddress(proxy.empty() ? host : proxy, "ftp", "ftps");
  const std::string target = net::ParseServerAddress(host, "ftp", "ftps").host;
  if (!net::IsPlainHost(server.host) || !net::IsPlainHost(target)) {
    library.ScriptError("Invalid Value");
    return;
  }
  net::FtpSettings settings;
  settings.host = server.host;
  settings.tls = server.tls;
  settings.port = port == 0 ? kFtpPort : port;
  // Through a proxy the login names the server behind it: user#host.
  settings.user = proxy.empty() ? user : user + "#" + target;
  settings.password = password;
  BusyPointer busy(library.Host);
  try {
    ftp.Client().connect(settings, KeepHostRunning(library));
    result = ScriptValue::Integer(1);
  } catch (const net::TransferAborted&) {
    ftp.Client().abort();
  } catch (const std::exception& failure) {
    ftp.Client().abort();
    library.ScriptError(failure.what());
  }
}

void FtpDisconnect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  TFtpSession& ftp = library.Internet->Ftp;
  if (ftp.Client().busy()) return;
  ftp.Client().abort();
  result = ScriptValue::Integer(1);
}

// The verb's action on a ready session; the result of the verbs that give more than 1.
void RunVerb(TTarnwickBasic& library, TFtpSession& ftp, const std::string& verb, const std::string& argument,
             ScriptValue& result) {
  const net::KeepWaiting keepWaiting = KeepHostRunning(library);
  const auto flag = [&](bool done) { result = ScriptValue::Integer(done ? 1 : 0); };
  if (verb == "put") {
    result = ScriptValue::Integer(Put(ftp, argument, keepWaiting));
  } else if (verb == "get") {
    result = ScriptValue::Integer(Get(ftp, argument, keepWaiting));
  } else if (verb == "find") {
    auto names = ListMatching(ftp, argument, keepWaiting);
    ftp.Listing = names ? std::move(*names) : std::vector<std::string>();
    result = ScriptValue::Integer(static_cast<std::int32_t>(ftp.Listing.size()));
  } else if (verb == "found") {
    std::int32_t n = 0;
    if (!IntegerArgument(library, ScriptValue(argument), n)) return;
    if (n < 1 || static_cast<std::size_t>(n) > ftp.Listing.size())
      throw std::out_of_range("Listing index out of range (" + std::to_string(n) + ")");
    result = ScriptValue(ftp.Listing[static_cast<std::size_t>(n) - 1]);
  } else if (verb == "delete") {
    flag(ftp.Client().removeFile(argument, keepWaiting));
  } else if (verb == "chdir") {
    flag(ftp.Client().changeFolder(argument, keepWaiting));
  } else if (verb == "mkdir") {
    flag(ftp.Client().makeFolder(argument, keepWaiting));
  } else if (verb == "rmdir") {
    flag(ftp.Client().removeFolder(argument, keepWaiting));
  } else if (verb == "local") {
    if (argument.empty())
      result = ScriptValue(ftp.LocalDir);
    else
      ftp.LocalDir = WithTrailingSlash(argument);
  } else if (verb == "remote") {
    if (argument.empty())
      result = ScriptValue(ftp.Client().startFolder());
    else
      ftp.Client().setStartFolder(argument);
  } else if (verb == "age") {
    result = ScriptValue("");
  }
}

void FtpExec(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("0");
  const std::string verb = LowerAscii(library.ReadArgument());
  const std::string argument = library.ReadArgument();
  library.ReadOptionalArgument(ScriptValue(""));
  if (std::string_view(" get put found find chdir delete mkdir rmdir local remote age ").find(verb) ==
      std::string_view::npos) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  TFtpSession& ftp = library.Internet->Ftp;
  if (!ftp.Client().connected() || ftp.Client().busy()) return;
  if (verb != "local" && BreaksProtocolLine(argument)) {
    library.ScriptError("Invalid Value");
    return;
  }
  result = ScriptValue::Integer(1);
  BusyPointer busy(library.Host);
  try {
    RunVerb(library, ftp, verb, argument, result);
  } catch (const net::TransferAborted&) {
    // The run is being stopped; the session stays for the next one.
  } catch (const std::exception& failure) {
    ftp.Client().abort();
    library.ScriptError(failure.what());
  }
}

}  // namespace

void AddFtpFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("ftpconnect", FtpConnect);
  handlers.AddFunction("ftpdisconnect", FtpDisconnect);
  handlers.AddFunction("ftpexec", FtpExec);
}

}  // namespace tw
