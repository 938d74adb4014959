#pragma once
// The settings store in one SQLite file per user (the tables are described in docs/registry-on-linux.md).
//
// Every call opens the file, does its work in one transaction and closes it again: nothing is cached, so
// several programs can share the store, and a crash keeps every value committed before it. A locked store
// is waited for (busy time-out); the rollback journal is used rather than a write-ahead log, which needs
// shared memory that home folders on network file systems do not offer.

#include <string>

#include "port/registry.h"

namespace tw::port::system {

class SqliteRegistry final : public RegistryStore {
 public:
  static constexpr int kBusyTimeoutMs = 20000;

  // The store in this file. The file (readable by its owner only) and its folder are made on first use.
  explicit SqliteRegistry(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  bool openKey(RegistryRoot root, std::string_view path, bool create) override;
  bool deleteKey(RegistryRoot root, std::string_view path) override;
  bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name) override;
  std::optional<RegistryValue> readValue(RegistryRoot root, std::string_view key, std::string_view name) override;
  bool writeValue(RegistryRoot root, std::string_view key, std::string_view name,
                  const RegistryValue& value) override;

  // A name as the store compares it: every letter in capitals (ICU's simple mappings; bytes that are not
  // UTF-8 stay as they are).
  static std::string FoldName(std::string_view name);

 private:
  std::string path_;
};

// The user's store: "registry.sqlite" in the folder of the running program's settings file, which is
// $XDG_CONFIG_HOME/tarnwick/ (~/.config/tarnwick/ when that is unset or not absolute), or the program's own
// folder under portable use.
std::string UserRegistryFile();

}  // namespace tw::port::system
