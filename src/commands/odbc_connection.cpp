#include "commands/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <deque>

#include "commands/connection_string.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

namespace {

using WideText = std::basic_string<SQLWCHAR>;

bool Succeeded(SQLRETURN status) { return status == SQL_SUCCESS || status == SQL_SUCCESS_WITH_INFO; }

// One environment for the whole program, for ODBC 3 behaviour.
SQLHENV Environment() {
  static const SQLHENV environment = [] {
    SQLHENV handle = SQL_NULL_HENV;
    if (Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle)))
      SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  return environment;
}

// UTF-16, as the driver manager's wide calls take it.
WideText Wide(std::string_view utf8) {
  WideText wide;
  wide.reserve(utf8.size());
  for (char32_t c : text::DecodeUtf8OrWindows1252(utf8)) {
    if (c < 0x10000) {
      wide.push_back(static_cast<SQLWCHAR>(c));
    } else {
      c -= 0x10000;
      wide.push_back(static_cast<SQLWCHAR>(0xd800 + (c >> 10)));
      wide.push_back(static_cast<SQLWCHAR>(0xdc00 + (c & 0x3ff)));
    }
  }
  return wide;
}

std::string Narrow(const SQLWCHAR* wide, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    char32_t c = wide[i];
    if (c >= 0xd800 && c < 0xdc00 && i + 1 < length && wide[i + 1] >= 0xdc00 && wide[i + 1] < 0xe000)
      c = 0x10000 + ((c - 0xd800) << 10) + (wide[++i] - 0xdc00);
    text::AppendUtf8(out, c);
  }
  return out;
}

ColumnKind KindOf(SQLSMALLINT sqlType, const std::string& typeName) {
  const std::string lowered = LowerAscii(typeName);
  // Some drivers report booleans as one-character text unless told otherwise; their type name still tells.
  if (lowered == "bool" || lowered == "boolean") return ColumnKind::Boolean;
  switch (sqlType) {
    case SQL_BIT: return ColumnKind::Boolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: return ColumnKind::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return ColumnKind::Real;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return ColumnKind::Exact;
    case SQL_TYPE_DATE:
    case SQL_DATE: return ColumnKind::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME: return ColumnKind::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return ColumnKind::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return ColumnKind::Binary;
    default: return ColumnKind::Text;
  }
}

}  // namespace

class OdbcConnection::Statement {
 public:
  explicit Statement(OdbcConnection& connection) : connection_(connection) {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection.connection_, &handle_)))
      connection.Fail(SQL_HANDLE_DBC, connection.connection_, "");
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT Handle() const { return handle_; }
  [[noreturn]] void Fail() const { connection_.Fail(SQL_HANDLE_STMT, handle_, ""); }

  std::string Attribute(SQLUSMALLINT column, SQLUSMALLINT field) const {
    SQLWCHAR buffer[512];
    SQLSMALLINT bytes = 0;
    const SQLRETURN status = connection_.wide_
                                 ? SQLColAttributeW(handle_, column, field, buffer, sizeof buffer, &bytes, nullptr)
                                 : SQLColAttribute(handle_, column, field, buffer, sizeof buffer, &bytes, nullptr);
    if (!Succeeded(status)) return {};
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(bytes, 0)),
                                                     sizeof buffer - sizeof(SQLWCHAR));
    return connection_.wide_ ? Narrow(buffer, length / sizeof(SQLWCHAR))
                             : std::string(reinterpret_cast<const char*>(buffer), length);
  }

  TColumn Describe(SQLUSMALLINT number) const {
    SQLWCHAR name[256];
    SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    const SQLRETURN status =
        connection_.wide_
            ? SQLDescribeColW(handle_, number, name, 256, &nameLength, &sqlType, &size, &digits, &nullable)
            : SQLDescribeCol(handle_, number, reinterpret_cast<SQLCHAR*>(name), sizeof name, &nameLength, &sqlType,
                             &size, &digits, &nullable);
    if (!Succeeded(status)) Fail();
    TColumn column;
    column.Name = connection_.wide_
                      ? Narrow(name, static_cast<std::size_t>(std::clamp<SQLSMALLINT>(nameLength, 0, 255)))
                      : std::string(reinterpret_cast<const char*>(name),
                                    static_cast<std::size_t>(std::clamp<SQLSMALLINT>(nameLength, 0, 511)));
    column.SqlType = sqlType;
    column.Size = size;
    column.DecimalDigits = digits;
    column.Kind = KindOf(sqlType, Attribute(number, SQL_DESC_TYPE_NAME));
    column.BaseTable = Attribute(number, SQL_DESC_BASE_TABLE_NAME);
    column.BaseColumn = Attribute(number, SQL_DESC_BASE_COLUMN_NAME);
    column.Schema = Attribute(number, SQL_DESC_SCHEMA_NAME);
    column.Catalog = Attribute(number, SQL_DESC_CATALOG_NAME);
    return column;
  }

  // Text in the form this driver takes it: UTF-16 for a Unicode driver, else UTF-8.
  SQLSMALLINT TextType() const { return connection_.wide_ ? SQL_C_WCHAR : SQL_C_CHAR; }

  // The whole value of a column of the current row, read in parts as long as the driver has more; false for
  // NULL. SQL_C_WCHAR text arrives as UTF-16 and is turned into UTF-8.
  bool Read(SQLUSMALLINT column, SQLSMALLINT cType, std::string& out) const {
    out.clear();
    const std::size_t terminator = cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : cType == SQL_C_CHAR ? 1 : 0;
    alignas(SQLWCHAR) char buffer[4096];
    for (;;) {
      SQLLEN indicator = 0;
      const SQLRETURN status = SQLGetData(handle_, column, cType, buffer, sizeof buffer, &indicator);
      if (status == SQL_NO_DATA) break;
      if (!Succeeded(status)) Fail();
      if (indicator == SQL_NULL_DATA) return false;
      const std::size_t room = sizeof buffer - terminator;
      const std::size_t got =
          indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room ? room
                                                                                  : static_cast<std::size_t>(indicator);
      out.append(buffer, got);
      if (status == SQL_SUCCESS) break;  // with info: the value was cut, the next call gives the rest
    }
    if (cType == SQL_C_WCHAR)
      out = Narrow(reinterpret_cast<const SQLWCHAR*>(out.data()), out.size() / sizeof(SQLWCHAR));
    return true;
  }

  // Appends the column's value of the current row to the record set.
  void ReadInto(TRecordSet& records, SQLUSMALLINT column, ColumnKind kind) const {
    if (kind == ColumnKind::Real) {
      SQLDOUBLE real = 0;
      SQLLEN indicator = 0;
      if (!Succeeded(SQLGetData(handle_, column, SQL_C_DOUBLE, &real, 0, &indicator))) Fail();
      if (indicator == SQL_NULL_DATA)
        records.AddNull();
      else
        records.AddReal(real);
      return;
    }
    const SQLSMALLINT cType = kind == ColumnKind::Text ? TextType() : kind == ColumnKind::Binary ? SQL_C_BINARY : SQL_C_CHAR;
    if (Read(column, cType, scratch_))
      records.AddText(kind, scratch_);
    else
      records.AddNull();
  }

 private:
  OdbcConnection& connection_;
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
  mutable std::string scratch_;
};

OdbcConnection::OdbcConnection(const std::string& connectionString, std::vector<std::string> secrets)
    : secrets_(std::move(secrets)) {
  SQLHDBC connection = SQL_NULL_HDBC;
  if (!Environment() || !Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, Environment(), &connection)))
    throw DatabaseFailure("Cannot connect to the database: the ODBC driver manager is not available");
  connection_ = connection;
  SQLSetConnectAttr(connection_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(30), 0);
  Connect(connectionString);
  // A driver without wide-character calls gets text from the driver manager squeezed through Latin-1; such
  // drivers take UTF-8 through the narrow calls instead.
  wide_ = TextSurvivesWideCalls();
  if (!wide_ && std::any_of(connectionString.begin(), connectionString.end(), [](char c) { return c & 0x80; })) {
    SQLDisconnect(connection_);
    Connect(connectionString);
  }
  char quote[8] = {};
  SQLSMALLINT bytes = 0;
  if (Succeeded(SQLGetInfo(connection_, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &bytes)))
    quote_.assign(quote, std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(bytes, 0)), 7));
  if (quote_ == " ") quote_.clear();
}

void OdbcConnection::Connect(const std::string& connectionString) {
  SQLRETURN status;
  if (wide_) {
    WideText wide = Wide(connectionString);
    status = SQLDriverConnectW(connection_, nullptr, wide.data(), static_cast<SQLSMALLINT>(wide.size()), nullptr, 0,
                               nullptr, SQL_DRIVER_NOPROMPT);
  } else {
    std::string narrow = connectionString;
    status = SQLDriverConnect(connection_, nullptr, reinterpret_cast<SQLCHAR*>(narrow.data()),
                              static_cast<SQLSMALLINT>(narrow.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  }
  if (!Succeeded(status)) {
    const std::string reason = Diagnostics(SQL_HANDLE_DBC, connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    connection_ = nullptr;
    throw DatabaseFailure(WithoutSecrets("Cannot connect to the database: " + reason, secrets_));
  }
}

bool OdbcConnection::TextSurvivesWideCalls() {
  const std::string probe = "SELECT 'ü日本𝄞'";
  WideText wide = Wide(probe);
  SQLWCHAR back[64];
  SQLINTEGER length = 0;
  if (!Succeeded(SQLNativeSqlW(connection_, wide.data(), static_cast<SQLINTEGER>(wide.size()), back, 64, &length)))
    return true;  // the driver cannot tell: trust its wide calls
  return Narrow(back, static_cast<std::size_t>(std::clamp<SQLINTEGER>(length, 0, 63))) == probe;
}

OdbcConnection::~OdbcConnection() {
  if (!connection_) return;
  SQLDisconnect(connection_);
  SQLFreeHandle(SQL_HANDLE_DBC, connection_);
}

std::string OdbcConnection::Diagnostics(short handleType, void* handle) const {
  std::string messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6];
    SQLINTEGER native = 0;
    SQLWCHAR message[2048];
    SQLSMALLINT length = 0;
    if (!messages.empty()) messages += "; ";
    if (wide_) {
      if (!Succeeded(SQLGetDiagRecW(handleType, handle, record, state, &native, message, 2048, &length))) break;
      messages += Narrow(message, static_cast<std::size_t>(std::clamp<SQLSMALLINT>(length, 0, 2047)));
    } else {
      SQLCHAR narrowState[6];
      if (!Succeeded(SQLGetDiagRec(handleType, handle, record, narrowState, &native,
                                   reinterpret_cast<SQLCHAR*>(message), sizeof message, &length)))
        break;
      messages.append(reinterpret_cast<const char*>(message),
                      static_cast<std::size_t>(std::clamp<SQLSMALLINT>(length, 0, sizeof message - 1)));
    }
  }
  if (messages.ends_with("; ")) messages.resize(messages.size() - 2);
  return messages.empty() ? "the driver gave no reason" : messages;
}

void OdbcConnection::Fail(short handleType, void* handle, const std::string& what) const {
  throw DatabaseFailure(WithoutSecrets(what + Diagnostics(handleType, handle), secrets_));
}

SQLRETURN OdbcConnection::ExecDirect(void* statement, const std::string& sql) {
  if (wide_) {
    WideText wide = Wide(sql);
    return SQLExecDirectW(statement, wide.data(), static_cast<SQLINTEGER>(wide.size()));
  }
  std::string narrow = sql;
  return SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(narrow.data()), static_cast<SQLINTEGER>(narrow.size()));
}

TExecuteResult OdbcConnection::Execute(const std::string& sql) {
  Statement statement(*this);
  SQLRETURN status = ExecDirect(statement.Handle(), sql);
  TExecuteResult result;
  if (status == SQL_NO_DATA) return result;  // a searched UPDATE or DELETE that changed nothing
  if (!Succeeded(status)) statement.Fail();
  bool counted = false;
  for (;;) {
    SQLSMALLINT columnCount = 0;
    if (!Succeeded(SQLNumResultCols(statement.Handle(), &columnCount))) statement.Fail();
    if (columnCount > 0) {
      std::vector<TColumn> columns;
      for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columnCount); ++i) columns.push_back(statement.Describe(i));
      TRecordSet records(std::move(columns));
      const auto& described = records.Columns();
      while ((status = SQLFetch(statement.Handle())) != SQL_NO_DATA) {
        if (!Succeeded(status)) statement.Fail();
        for (SQLUSMALLINT i = 0; i < static_cast<SQLUSMALLINT>(columnCount); ++i)
          statement.ReadInto(records, static_cast<SQLUSMALLINT>(i + 1), described[i].Kind);
      }
      result.Records = std::move(records);
      return result;
    }
    if (!counted) {
      SQLLEN rows = 0;
      if (Succeeded(SQLRowCount(statement.Handle(), &rows)) && rows > 0) result.Affected = rows;
      counted = true;
    }
    status = SQLMoreResults(statement.Handle());
    if (status == SQL_NO_DATA) return result;
    if (!Succeeded(status)) statement.Fail();
  }
}

std::vector<std::string> OdbcConnection::PrimaryKey(const TColumn& column) {
  Statement statement(*this);
  SQLRETURN status;
  if (wide_) {
    WideText catalog = Wide(column.Catalog), schema = Wide(column.Schema), table = Wide(column.BaseTable);
    auto part = [](WideText& text) { return text.empty() ? nullptr : text.data(); };
    status = SQLPrimaryKeysW(statement.Handle(), part(catalog), static_cast<SQLSMALLINT>(catalog.size()), part(schema),
                             static_cast<SQLSMALLINT>(schema.size()), table.data(), static_cast<SQLSMALLINT>(table.size()));
  } else {
    std::string catalog = column.Catalog, schema = column.Schema, table = column.BaseTable;
    auto part = [](std::string& text) { return text.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(text.data()); };
    status = SQLPrimaryKeys(statement.Handle(), part(catalog), static_cast<SQLSMALLINT>(catalog.size()), part(schema),
                            static_cast<SQLSMALLINT>(schema.size()), part(table), static_cast<SQLSMALLINT>(table.size()));
  }
  if (!Succeeded(status)) return {};
  std::vector<std::pair<int, std::string>> keyColumns;
  std::string name, sequence;
  while (Succeeded(SQLFetch(statement.Handle()))) {
    if (!statement.Read(4, statement.TextType(), name) || !statement.Read(5, SQL_C_CHAR, sequence)) continue;
    keyColumns.emplace_back(std::atoi(sequence.c_str()), name);
  }
  std::sort(keyColumns.begin(), keyColumns.end());
  std::vector<std::string> names;
  for (auto& [sequenceNumber, keyName] : keyColumns) names.push_back(std::move(keyName));
  return names;
}

std::string OdbcConnection::Quoted(const std::string& identifier) {
  if (quote_.empty()) return identifier;
  std::string quoted = quote_;
  for (std::size_t at = 0; at < identifier.size(); ++at) {
    if (identifier.compare(at, quote_.size(), quote_) == 0) quoted += quote_;
    quoted += identifier[at];
  }
  return quoted + quote_;
}

std::int64_t OdbcConnection::UpdateOneRow(const std::string& sql, const TColumn& target, const std::string& value,
                                          const std::vector<TKeyValue>& keys) {
  struct ManualCommit {
    explicit ManualCommit(SQLHDBC connection) : connection_(connection) {
      SQLSetConnectAttr(connection_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                        SQL_IS_UINTEGER);
    }
    ~ManualCommit() {
      if (!committed) SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_ROLLBACK);
      SQLSetConnectAttr(connection_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                        SQL_IS_UINTEGER);
    }
    SQLHDBC connection_;
    bool committed = false;
  } transaction(connection_);

  Statement statement(*this);
  // The bound buffers must stay in place until the statement has run.
  std::deque<WideText> wideTexts;
  std::deque<std::string> texts;
  std::deque<double> reals;
  std::deque<SQLLEN> lengths;
  SQLUSMALLINT number = 0;
  auto bind = [&](SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits, void* data, SQLLEN bytes) {
    lengths.push_back(bytes);
    if (!Succeeded(SQLBindParameter(statement.Handle(), ++number, SQL_PARAM_INPUT, cType, sqlType,
                                    std::max<SQLULEN>(size, 1), digits, data, bytes, &lengths.back())))
      statement.Fail();
  };
  auto bindText = [&](const std::string& text, const TColumn& column) {
    if (wide_) {
      WideText& wide = wideTexts.emplace_back(Wide(text));
      bind(SQL_C_WCHAR, column.SqlType, std::max<SQLULEN>(column.Size, wide.size()), column.DecimalDigits,
           wide.data(), static_cast<SQLLEN>(wide.size() * sizeof(SQLWCHAR)));
    } else {
      std::string& narrow = texts.emplace_back(text);
      bind(SQL_C_CHAR, column.SqlType, std::max<SQLULEN>(column.Size, narrow.size()), column.DecimalDigits,
           narrow.data(), static_cast<SQLLEN>(narrow.size()));
    }
  };
  bindText(value, target);
  for (const TKeyValue& key : keys) {
    const TColumn& column = *key.Column;
    const ScriptValue& cell = key.Value;
    switch (column.Kind) {
      case ColumnKind::Real:
        reals.push_back(cell.RealValue());
        bind(SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &reals.back(), 0);
        break;
      case ColumnKind::Text: bindText(cell.ToText(), column); break;
      case ColumnKind::Binary: {
        std::string& bytes = texts.emplace_back(cell.ToText());
        bind(SQL_C_BINARY, column.SqlType, bytes.size(), 0, bytes.data(), static_cast<SQLLEN>(bytes.size()));
        break;
      }
      default: {
        std::string& text = texts.emplace_back(cell.Kind() == ValueKind::Boolean ? (cell.BooleanValue() ? "1" : "0")
                                                                                 : cell.ToText());
        bind(SQL_C_CHAR, column.SqlType, std::max<SQLULEN>(column.Size, text.size()), column.DecimalDigits,
             text.data(), static_cast<SQLLEN>(text.size()));
      }
    }
  }
  const SQLRETURN status = ExecDirect(statement.Handle(), sql);
  if (status == SQL_NO_DATA) return 0;
  if (!Succeeded(status)) statement.Fail();
  SQLLEN rows = 0;
  if (!Succeeded(SQLRowCount(statement.Handle(), &rows))) statement.Fail();
  if (rows == 1) {
    if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_COMMIT))) Fail(SQL_HANDLE_DBC, connection_, "");
    transaction.committed = true;
  }
  return rows;
}

}  // namespace tw
