#include "port/system/sqlite_registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "files/system_folders.h"
#include "text/case_mapping.h"

namespace tw::port::system {

namespace {

constexpr int kSchemaVersion = 1;

// The tables and the four roots; a root's id is its RegistryRoot number plus 1.
constexpr const char* kSchema = R"sql(
CREATE TABLE registry_keys (
  id     INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES registry_keys(id) ON DELETE CASCADE,
  name   TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE (parent, folded)
);
CREATE TABLE registry_values (
  key    INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
  name   TEXT NOT NULL,
  folded TEXT NOT NULL,
  type   INTEGER NOT NULL,
  data,
  PRIMARY KEY (key, folded)
) WITHOUT ROWID;
INSERT INTO registry_keys (id, parent, name, folded) VALUES
  (1, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),
  (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
  (3, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
  (4, NULL, 'HKEY_USERS', 'HKEY_USERS');
PRAGMA user_version = 1;
)sql";

using KeyId = sqlite3_int64;

KeyId RootId(RegistryRoot root) { return static_cast<KeyId>(root) + 1; }

// One connection for the length of one call.
class Connection {
 public:
  explicit Connection(const std::string& path) : path_(path) {
    PrepareFile();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw Failure(message);
    }
    sqlite3_busy_timeout(db_, SqliteRegistry::kBusyTimeoutMs);
    Execute("PRAGMA foreign_keys = ON");
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  RegistryFailure Failure(const std::string& message) const {
    return RegistryFailure("Settings store " + path_ + ": " + message);
  }
  RegistryFailure Failure() const { return Failure(sqlite3_errmsg(db_)); }

  void Execute(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw Failure();
  }

  sqlite3* Handle() const { return db_; }

 private:
  // The folder is made when missing; a new file is made readable by its owner only before SQLite opens it
  // (its journal then gets the same permissions).
  void PrepareFile() {
    const std::string folder(FolderPart(path_));
    if (!folder.empty() && !CreateFolders(folder, 0700)) throw Failure(std::strerror(errno));
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
      ::close(fd);
    else if (errno != EEXIST)
      throw Failure(std::strerror(errno));
  }

  std::string path_;
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(Connection& connection, const char* sql) : connection_(connection) {
    if (sqlite3_prepare_v2(connection.Handle(), sql, -1, &statement_, nullptr) != SQLITE_OK)
      throw connection.Failure();
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, sqlite3_int64 number) {
    Check(sqlite3_bind_int64(statement_, index, number));
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int index, std::string_view bytes) {
    Check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True while there is a row to read.
  bool Step() {
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW) return true;
    if (status == SQLITE_DONE) return false;
    throw connection_.Failure();
  }
  sqlite3_int64 Integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string Bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
  }
  int ColumnType(int column) const { return sqlite3_column_type(statement_, column); }

 private:
  void Check(int status) {
    if (status != SQLITE_OK) throw connection_.Failure();
  }
  Connection& connection_;
  sqlite3_stmt* statement_ = nullptr;
};

// One transaction: writing ones take the write lock at once, so two writers wait for each other instead of
// failing on a lock upgrade. Rolled back unless committed.
class Transaction {
 public:
  enum class Kind { Read, Write };
  Transaction(Connection& connection, Kind kind) : connection_(connection) {
    EnsureSchema();
    connection_.Execute(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    open_ = true;
  }
  ~Transaction() {
    if (open_) sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit() {
    connection_.Execute("COMMIT");
    open_ = false;
  }

 private:
  int SchemaVersion() {
    Statement version(connection_, "PRAGMA user_version");
    return version.Step() ? static_cast<int>(version.Integer(0)) : 0;
  }
  void EnsureSchema() {
    int version = SchemaVersion();
    if (version == 0) {
      connection_.Execute("BEGIN IMMEDIATE");
      open_ = true;
      if (SchemaVersion() == 0) connection_.Execute(kSchema);
      Commit();
      version = kSchemaVersion;
    }
    if (version > kSchemaVersion)
      throw connection_.Failure("written by a newer version of this program (format " + std::to_string(version) +
                                ")");
  }

  Connection& connection_;
  bool open_ = false;
};

std::optional<KeyId> FindChild(Connection& connection, KeyId parent, std::string_view name) {
  Statement find(connection, "SELECT id FROM registry_keys WHERE parent = ?1 AND folded = ?2");
  find.Bind(1, parent).Bind(2, SqliteRegistry::FoldName(name));
  if (find.Step()) return find.Integer(0);
  return std::nullopt;
}

// The key at the path; with create the missing keys along it are made. nullopt when it does not exist or
// the path cannot name a key.
std::optional<KeyId> FindKey(Connection& connection, RegistryRoot root, std::string_view path, bool create) {
  const auto names = SplitRegistryPath(path);
  if (!names) return std::nullopt;
  KeyId key = RootId(root);
  for (std::string_view name : *names) {
    if (auto child = FindChild(connection, key, name)) {
      key = *child;
      continue;
    }
    if (!create) return std::nullopt;
    Statement insert(connection, "INSERT INTO registry_keys (parent, name, folded) VALUES (?1, ?2, ?3)");
    insert.Bind(1, key).Bind(2, name).Bind(3, SqliteRegistry::FoldName(name));
    insert.Step();
    key = sqlite3_last_insert_rowid(connection.Handle());
  }
  return key;
}

}  // namespace

std::string UserRegistryFile() {
  // Beside the program's settings file, wherever the portable rule puts that.
  return std::string(FolderPart(PlacesOf(ProgramName()).settingsFile)) + "registry.sqlite";
}

std::string SqliteRegistry::FoldName(std::string_view name) { return text::UpperCase(name); }

bool SqliteRegistry::openKey(RegistryRoot root, std::string_view path, bool create) {
  Connection connection(path_);
  Transaction transaction(connection, create ? Transaction::Kind::Write : Transaction::Kind::Read);
  const bool found = FindKey(connection, root, path, create).has_value();
  transaction.Commit();
  return found;
}

bool SqliteRegistry::deleteKey(RegistryRoot root, std::string_view path) {
  const auto names = SplitRegistryPath(path);
  if (!names || names->empty()) return false;
  Connection connection(path_);
  Transaction transaction(connection, Transaction::Kind::Write);
  const auto key = FindKey(connection, root, path, false);
  if (!key) return false;
  // All keys of the subtree in one statement; their values go with them (ON DELETE CASCADE).
  Statement remove(connection,
                   "WITH RECURSIVE subtree(id) AS (SELECT ?1 UNION ALL "
                   "SELECT k.id FROM registry_keys k JOIN subtree s ON k.parent = s.id) "
                   "DELETE FROM registry_keys WHERE id IN subtree");
  remove.Bind(1, *key).Step();
  transaction.Commit();
  return true;
}

bool SqliteRegistry::deleteValue(RegistryRoot root, std::string_view key, std::string_view name) {
  Connection connection(path_);
  Transaction transaction(connection, Transaction::Kind::Write);
  const auto id = FindKey(connection, root, key, false);
  if (!id) return false;
  Statement remove(connection, "DELETE FROM registry_values WHERE key = ?1 AND folded = ?2");
  remove.Bind(1, *id).Bind(2, FoldName(name)).Step();
  const bool deleted = sqlite3_changes(connection.Handle()) > 0;
  transaction.Commit();
  return deleted;
}

std::optional<RegistryValue> SqliteRegistry::readValue(RegistryRoot root, std::string_view key,
                                                       std::string_view name) {
  Connection connection(path_);
  Transaction transaction(connection, Transaction::Kind::Read);
  const auto id = FindKey(connection, root, key, false);
  if (!id) return std::nullopt;
  Statement read(connection, "SELECT type, data FROM registry_values WHERE key = ?1 AND folded = ?2");
  read.Bind(1, *id).Bind(2, FoldName(name));
  if (!read.Step()) return std::nullopt;
  RegistryValue value;
  value.type = static_cast<std::uint32_t>(read.Integer(0));
  // A double word is kept as a number (as is any whole number someone stored by hand); everything else as
  // its text or bytes.
  if (read.ColumnType(1) == SQLITE_INTEGER)
    value.data = RegistryValue::DWord(static_cast<std::uint32_t>(read.Integer(1))).data;
  else
    value.data = read.Bytes(1);
  transaction.Commit();
  return value;
}

bool SqliteRegistry::writeValue(RegistryRoot root, std::string_view key, std::string_view name,
                                const RegistryValue& value) {
  Connection connection(path_);
  Transaction transaction(connection, Transaction::Kind::Write);
  const auto id = FindKey(connection, root, key, false);
  if (!id) return false;
  Statement write(connection,
                  "INSERT INTO registry_values (key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                  "ON CONFLICT (key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  write.Bind(1, *id).Bind(2, name).Bind(3, FoldName(name)).Bind(4, static_cast<sqlite3_int64>(value.type));
  if (value.is(RegistryType::String) || value.is(RegistryType::ExpandString))
    write.Bind(5, value.data);
  else if (value.is(RegistryType::DWord) && value.data.size() == 4)
    write.Bind(5, static_cast<sqlite3_int64>(value.dword()));
  else
    write.BindBlob(5, value.data);
  write.Step();
  transaction.Commit();
  return true;
}

}  // namespace tw::port::system
