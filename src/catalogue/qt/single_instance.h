#pragma once
// One tarnwick per user and display (its hotkeys and tray icon belong to one display). The first instance
// holds a lock file for its whole life and listens on a local socket beside it; a later one finds the lock
// taken, hands its arguments over that socket and ends. A lock left by a killed instance is taken over.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>
#include <string>

namespace tw {

struct InstanceNames {
  std::string lockFile;
  std::string serverName;  // the socket's full path
};

// The folder for the lock and the socket: $XDG_RUNTIME_DIR when it is ours, else a folder of this user's
// in the temporary folder, made 0700 and refused when anyone else could have put it there. Empty when
// there is none; `problem` then says why.
std::string InstanceFolder(std::string& problem);
// "tarnwick-<user>-<display>" in `folder`; display as $DISPLAY (screen number dropped), else
// $WAYLAND_DISPLAY, reduced to characters safe in a file name.
InstanceNames InstanceNamesIn(const std::string& folder);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role { First, Second, Unreachable };

  explicit SingleInstance(InstanceNames names);
  ~SingleInstance() override;

  // Takes the lock (then First, listening) or reaches the instance that holds it (then Second). Waits up to
  // `patience` for an instance that holds the lock but does not listen yet; Unreachable after that.
  Role Claim(std::chrono::milliseconds patience);
  // Second: gives the arguments to the first instance; true once it has taken them.
  bool Forward(const QStringList& arguments, std::chrono::milliseconds patience);

 signals:
  // First: another instance was started with these arguments.
  void requested(const QStringList& arguments);

 private:
  bool Listen();
  void Serve(class QLocalSocket* socket);

  InstanceNames names_;
  QLockFile lock_;
  QLocalServer server_;
  std::unique_ptr<class QLocalSocket> toFirst_;
};

}  // namespace tw
