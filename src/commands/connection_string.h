#pragma once
// Connection strings of dbopen: ODBC strings ("DSN=...", "Driver=SQLite3;Database=FILE"), also in the form
// the Windows design's ODBC provider takes them ("Provider=MSDASQL;Data Source=...").

#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct TConnectionString {
  std::string Odbc;                  // what the driver manager is given
  std::vector<std::string> Secrets;  // the passwords in it (PWD=, Password=), never to be shown
  std::string OtherProvider;         // the provider named when it is not the ODBC one; then Odbc is empty
};

// Splits "key=value;..." (a value may be written in braces, "{a;b}"). A Provider of MSDASQL is dropped and
// its keywords "Data Source", "User ID" and "Password" become DSN, UID and PWD; any other provider is kept in
// OtherProvider for the caller to refuse.
TConnectionString ParseConnectionString(std::string_view text);

// The message with every secret, and the value of every PWD= or Password= in it, replaced by "***".
std::string WithoutSecrets(std::string message, const std::vector<std::string>& secrets);

}  // namespace tw
