#pragma once
// One connection to a database through the ODBC driver manager (unixODBC). Text is UTF-8 on our side; it
// goes to and comes from the driver through the wide-character calls, except for drivers that have none
// (the driver manager would pass their text through Latin-1): those get UTF-8 through the narrow calls.
// Every failure throws DatabaseFailure with the driver's diagnostics, never a password of the connection
// string.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/record_set.h"

namespace tw {

class DatabaseFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TExecuteResult {
  std::optional<TRecordSet> Records;  // when the statement returned rows (even none)
  std::int64_t Affected = 0;          // otherwise the rows it changed
};

// A value a statement compares a column with, as the record set holds it.
struct TKeyValue {
  const TColumn* Column;
  ScriptValue Value;
};

class OdbcConnection {
 public:
  // Connects at once (autocommit on). `secrets` are kept out of every message.
  OdbcConnection(const std::string& connectionString, std::vector<std::string> secrets);
  ~OdbcConnection();
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // Runs the statement; every row of the first result that has columns is fetched.
  TExecuteResult Execute(const std::string& sql);

  // The base column names of the table's primary key, in key order; empty when it has none (or the
  // driver does not tell).
  std::vector<std::string> PrimaryKey(const TColumn& column);

  // The identifier as the database wants it quoted.
  std::string Quoted(const std::string& identifier);

  // Runs an UPDATE of the form "... SET column = ? WHERE key1 = ? AND key2 IS NULL ..." in a transaction of
  // its own: `value` is bound as text with the SQL type of `target`, each non-null key value as the record set
  // holds it. Commits only when exactly one row changed and answers how many rows would have changed.
  std::int64_t UpdateOneRow(const std::string& sql, const TColumn& target, const std::string& value,
                            const std::vector<TKeyValue>& keys);

 private:
  class Statement;
  void Connect(const std::string& connectionString);
  // Whether text other than Latin-1 comes back unchanged from a round trip through the wide calls.
  bool TextSurvivesWideCalls();
  short ExecDirect(void* statement, const std::string& sql);
  [[noreturn]] void Fail(short handleType, void* handle, const std::string& what) const;
  std::string Diagnostics(short handleType, void* handle) const;

  void* connection_ = nullptr;  // SQLHDBC
  std::vector<std::string> secrets_;
  std::string quote_;
  bool wide_ = true;
};

}  // namespace tw
