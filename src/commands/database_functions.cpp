// Databases through ODBC: dbopen, dbclose, dbexecute, the moves dbfirst, dblast, dbnext and dbback, the
// states dbeof and dbbof, and dbget and dbput on the fields of the current row.

#include <limits>

#include "commands/database_query.h"
#include "commands/tarnwick_basic.h"

namespace tw {

namespace {

// The query a handle argument names; null (and nothing reported) for an unknown handle.
TDatabaseQuery* FindQuery(TTarnwickBasic& library, const std::string& handleText) {
  int number = 0;
  if (!HandleArgument(library, handleText, number)) return nullptr;
  return library.Handles->Find<TDatabaseQuery>(number);
}

// The query's record set; reports why there is none.
TRecordSet* RecordsOf(TTarnwickBasic& library, TDatabaseQuery& query) {
  if (TRecordSet* records = query.Records()) return records;
  library.ScriptError(query.HasRun() ? "No record set: the last statement of this query returned no rows"
                                     : "No record set: run a query with dbexecute first");
  return nullptr;
}

// The field of the current row; reports an unknown field or a position before the first or after the last row.
std::optional<std::size_t> CurrentField(TTarnwickBasic& library, TRecordSet& records, const std::string& name) {
  const auto field = records.FieldIndex(name);
  if (!field) {
    library.ScriptError("Field '" + name + "' not found");
    return std::nullopt;
  }
  if (records.Bof() || records.Eof()) {
    library.ScriptError(records.RowCount() == 0 ? "No current record: the record set is empty"
                        : records.Bof()         ? "No current record: the record set is before its first row"
                                                : "No current record: the record set is past its last row");
    return std::nullopt;
  }
  return field;
}

void DbOpen(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = library.ReadArgument();
  if (text.empty() || library.CheckMode) return;
  TConnectionString connection = ParseConnectionString(text);
  if (!connection.OtherProvider.empty()) {
    library.ScriptError("The database provider " + connection.OtherProvider +
                        " is not available here: give an ODBC connection string (DSN=... or Driver=...)");
    return;
  }
  result = ScriptValue::Integer(library.Handles->Add(std::make_unique<TDatabaseQuery>(std::move(connection))));
}

void DbClose(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  if (library.CheckMode) return;
  int number = 0;
  if (HandleArgument(library, handleText, number) && library.Handles->Remove<TDatabaseQuery>(number))
    result = ScriptValue::Integer(1);
}

void DbExecute(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  const std::string sql = library.ReadArgument();
  if (library.CheckMode) return;
  TDatabaseQuery* query = FindQuery(library, handleText);
  if (!query) return;
  const std::int64_t count = query->Execute(sql);
  if (count <= std::numeric_limits<std::int32_t>::max())
    result = ScriptValue::Integer(static_cast<std::int32_t>(count));
  else
    result = ScriptValue::Real(static_cast<double>(count));
}

enum class Move { First, Last, Next, Back };

void DbMove(TTarnwickBasic& library, ScriptValue& result, Move move) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  if (library.CheckMode) return;
  TDatabaseQuery* query = FindQuery(library, handleText);
  if (!query) return;
  TRecordSet* records = RecordsOf(library, *query);
  if (!records) return;
  bool moved = true;
  switch (move) {
    case Move::First: records->First(); break;
    case Move::Last: records->Last(); break;
    case Move::Next: moved = records->Next(); break;
    case Move::Back: moved = records->Back(); break;
  }
  result = ScriptValue::Integer(moved ? 1 : 0);
}

// Without a record set a query is at both ends.
void DbEnd(TTarnwickBasic& library, ScriptValue& result, bool atStart) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  if (library.CheckMode) return;
  TDatabaseQuery* query = FindQuery(library, handleText);
  if (!query) return;
  const TRecordSet* records = query->Records();
  result = ScriptValue::Integer(!records || (atStart ? records->Bof() : records->Eof()) ? 1 : 0);
}

void DbGet(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string handleText = library.ReadArgument();
  const std::string name = library.ReadArgument();
  if (library.CheckMode) return;
  TDatabaseQuery* query = FindQuery(library, handleText);
  if (!query) return;
  TRecordSet* records = RecordsOf(library, *query);
  if (!records) return;
  if (const auto field = CurrentField(library, *records, name)) result = records->FieldValue(*field);
}

void DbPut(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  const std::string name = library.ReadArgument();
  const std::string value = library.ReadArgument();
  if (library.CheckMode) return;
  TDatabaseQuery* query = FindQuery(library, handleText);
  if (!query) return;
  TRecordSet* records = RecordsOf(library, *query);
  if (!records) return;
  if (const auto field = CurrentField(library, *records, name)) query->Put(*field, value);
}

void DbFirst(TTarnwickBasic& l, ScriptValue& r) { DbMove(l, r, Move::First); }
void DbLast(TTarnwickBasic& l, ScriptValue& r) { DbMove(l, r, Move::Last); }
void DbNext(TTarnwickBasic& l, ScriptValue& r) { DbMove(l, r, Move::Next); }
void DbBack(TTarnwickBasic& l, ScriptValue& r) { DbMove(l, r, Move::Back); }
void DbEof(TTarnwickBasic& l, ScriptValue& r) { DbEnd(l, r, false); }
void DbBof(TTarnwickBasic& l, ScriptValue& r) { DbEnd(l, r, true); }

}  // namespace

void AddDatabaseFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("dbopen", DbOpen);
  handlers.AddFunction("dbclose", DbClose);
  handlers.AddFunction("dbexecute", DbExecute);
  handlers.AddFunction("dbfirst", DbFirst);
  handlers.AddFunction("dblast", DbLast);
  handlers.AddFunction("dbnext", DbNext);
  handlers.AddFunction("dbback", DbBack);
  handlers.AddFunction("dbeof", DbEof);
  handlers.AddFunction("dbbof", DbBof);
  handlers.AddFunction("dbget", DbGet);
  handlers.AddFunction("dbput", DbPut);
}

}  // namespace tw
