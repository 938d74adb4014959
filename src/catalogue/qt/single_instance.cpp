#include "catalogue/qt/single_instance.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDataStream>
#include <QLocalSocket>
#include <QThread>
#include <cstdlib>
#include <vector>

#include "files/system_folders.h"

namespace tw {

namespace {

std::string UserName() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
    return found->pw_name;
  return std::to_string(::getuid());
}

std::string SafeForFileName(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    out += plain ? c : '_';
  }
  return out;
}

// ":0.0" and ":0" are one display.
std::string DisplayName() {
  if (const char* display = std::getenv("DISPLAY"); display && *display) {
    std::string name = display;
    const std::size_t colon = name.rfind(':');
    const std::size_t dot = name.find('.', colon == std::string::npos ? 0 : colon);
    if (colon != std::string::npos && dot != std::string::npos) name.erase(dot);
    return name;
  }
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) return wayland;
  return "none";
}

bool OwnPrivateFolder(const std::string& folder, bool mustBePrivate) {
  struct stat info {};
  return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (!mustBePrivate || (info.st_mode & 077) == 0);
}

}  // namespace

std::string InstanceFolder(std::string& problem) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
    if (OwnPrivateFolder(runtime, false)) return WithTrailingSlash(runtime);
  }
  const std::string folder = TemporaryFolder() + "tarnwick-" + std::to_string(::getuid()) + "/";
  ::mkdir(folder.c_str(), 0700);
  if (OwnPrivateFolder(folder, true)) return folder;
  problem = "the folder " + folder + " is not a private folder of this user";
  return {};
}

InstanceNames InstanceNamesIn(const std::string& folder) {
  const std::string base = WithTrailingSlash(folder) + "tarnwick-" + SafeForFileName(UserName()) + "-" +
                           SafeForFileName(DisplayName());
  return {base + ".lock", base + ".socket"};
}

SingleInstance::SingleInstance(InstanceNames names)
    : names_(std::move(names)), lock_(QString::fromStdString(names_.lockFile)) {
  // Held for the program's life: only a lock whose process is gone counts as stale, never an old one.
  lock_.setStaleLockTime(0);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) Serve(socket);
  });
}

SingleInstance::~SingleInstance() {
  server_.close();
  if (lock_.isLocked()) lock_.unlock();
}

SingleInstance::Role SingleInstance::Claim(std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (lock_.tryLock(0)) return Listen() ? Role::First : Role::Unreachable;
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(QString::fromStdString(names_.serverName));
    if (socket->waitForConnected(1000)) {
      toFirst_ = std::move(socket);
      return Role::Second;
    }
    if (std::chrono::steady_clock::now() > deadline) return Role::Unreachable;
    QThread::msleep(100);  // the first instance is still starting up
  }
}

bool SingleInstance::Listen() {
  const QString name = QString::fromStdString(names_.serverName);
  QLocalServer::removeServer(name);  // a socket left by a killed instance; the lock is ours now
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  return server_.listen(name);
}

void SingleInstance::Serve(QLocalSocket* socket) {
  connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
    QDataStream in(socket);
    in.startTransaction();
    QStringList arguments;
    in >> arguments;
    if (!in.commitTransaction()) return;  // more is on its way
    emit requested(arguments);
    socket->write("1");
    socket->flush();
    socket->disconnectFromServer();
  });
}

bool SingleInstance::Forward(const QStringList& arguments, std::chrono::milliseconds patience) {
  if (!toFirst_) return false;
  QDataStream out(toFirst_.get());
  out << arguments;
  const int wait = static_cast<int>(patience.count());
  if (!toFirst_->waitForBytesWritten(wait) && toFirst_->bytesToWrite() > 0) return false;
  while (toFirst_->bytesAvailable() < 1)
    if (!toFirst_->waitForReadyRead(wait)) return false;
  return toFirst_->read(1) == "1";
}

}  // namespace tw
