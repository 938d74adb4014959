#include "net/net_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "files/system_folders.h"

namespace tw::net {

namespace {

std::filesystem::path ModuleFolder() {
  if (const char* folder = std::getenv("TW_MODULE_DIR"); folder != nullptr && *folder != '\0') return folder;
  const std::string program = ProgramFolder();
  if (program.empty())
    throw NetError("The network functions cannot find their module: the program's own path is unknown");
  return (std::filesystem::path(program) / TW_MODULE_DIR_FROM_PROGRAM).lexically_normal();
}

const NetModule* Load() {
  const std::string file = (ModuleFolder() / kNetModuleFile).string();
  // Kept loaded for the rest of the run: the clients it made may live until the program ends.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    // dlerror() names the file.
    throw NetError("The network functions need their module, which cannot be loaded: " +
                   std::string(reason != nullptr ? reason : file));
  }
  auto entry = reinterpret_cast<NetModuleEntry>(dlsym(handle, kNetModuleEntry));
  const NetModule* module = entry != nullptr ? entry(kNetModuleInterface) : nullptr;
  if (module == nullptr) {
    dlclose(handle);
    throw NetError("The network module " + file + " belongs to another version of the program");
  }
  return module;
}

}  // namespace

const NetModule& LoadNetModule() {
  static std::mutex loading;
  static const NetModule* loaded = nullptr;
  const std::lock_guard lock(loading);
  // A failure is not kept: the module may be put in place while the program runs.
  if (loaded == nullptr) loaded = Load();
  return *loaded;
}

}  // namespace tw::net
