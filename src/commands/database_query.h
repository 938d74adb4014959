#pragma once
// TDatabaseQuery: what a dbopen handle holds. It keeps the connection string and connects on its first
// statement; the connection lasts until the handle is closed. A statement that returns rows leaves a
// record set of all of them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "commands/connection_string.h"
#include "commands/handle_table.h"
#include "commands/odbc_connection.h"
#include "commands/record_set.h"

namespace tw {

class TDatabaseQuery final : public THandleObject {
 public:
  explicit TDatabaseQuery(TConnectionString connection) : connection_(std::move(connection)) {}

  // Runs the statement: the number of rows it returned, or of rows it changed. Throws DatabaseFailure.
  std::int64_t Execute(const std::string& sql);

  // The record set of the last statement; null when nothing has run or the statement returned no rows.
  TRecordSet* Records() { return records_ ? &*records_ : nullptr; }
  // Whether a statement has run since the query was opened (for messages).
  bool HasRun() const { return hasRun_; }

  // Changes the field of the current row in its table and in the record set: the row is found by its table's
  // primary key when the record set holds every key column, else by all its values from that table. Throws
  // DatabaseFailure (and changes nothing) when the column comes from no one table or when no row or more
  // than one would change.
  void Put(std::size_t field, const std::string& value);

 private:
  TConnectionString connection_;
  std::unique_ptr<OdbcConnection> odbc_;
  std::optional<TRecordSet> records_;
  bool hasRun_ = false;
};

}  // namespace tw
