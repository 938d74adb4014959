#pragma once
// The services every desktop of this system has, whether or not there is a display.

#include "port/system/exclusive_open_probe.h"
#include "port/system/gstreamer_player.h"
#include "port/system/linux_system_info.h"
#include "port/system/login_manager_session.h"
#include "port/system/process_launcher.h"
#include "port/system/sqlite_registry.h"
#include "port/system/session_bus_conversations.h"
#include "port/system/program_runner.h"

namespace tw::port::system {

struct SystemServices {
  PosixProcessLauncher processes;
  PosixProgramRunner programRunner;
  GStreamerPlayer media;
  LoginManagerSession session;
  LinuxSystemInfo systemInfo;
  SqliteRegistry registry{UserRegistryFile()};
  SessionBusConversations conversations;
  ExclusiveOpenProbe fileUse;
};

}  // namespace tw::port::system
