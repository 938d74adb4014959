// The database functions against the SQLite ODBC driver and against a real PostgreSQL server: one script
// table for both, checked from outside with sqlite3 and psql.

#include <gtest/gtest.h>

#include <map>

#include "commands/connection_string.h"
#include "commands/library_support.h"
#include "database_servers.h"
#include "interpreter/locale/locale.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RecordingHost;

TEST(ConnectionStrings, ProvidersAndSecrets) {
  const TConnectionString plain = ParseConnectionString("DSN=sales; UID=me; PWD={a;b}");
  EXPECT_EQ(plain.Odbc, "DSN=sales;UID=me;PWD={a;b}");
  EXPECT_EQ(plain.Secrets, std::vector<std::string>{"a;b"});
  const TConnectionString ado = ParseConnectionString("Provider=MSDASQL.1;Data Source=sales;User ID=me;Password=pw1");
  EXPECT_EQ(ado.Odbc, "DSN=sales;UID=me;PWD=pw1");
  EXPECT_EQ(ado.Secrets, std::vector<std::string>{"pw1"});
  EXPECT_EQ(ParseConnectionString("provider=msdasql;Driver=SQLite3;Database=/tmp/x.db").Odbc,
            "Driver=SQLite3;Database=/tmp/x.db");
  EXPECT_EQ(ParseConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\x.mdb").OtherProvider,
            "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(WithoutSecrets("login for 'me' with hunter22 failed [PWD=hunter22;x] Password=other", {"hunter22"}),
            "login for 'me' with *** failed [PWD=***;x] Password=***");
}

struct Backend {
  const char* name;
  std::map<std::string, std::string> words;  // {word} in the scripts -> this database's spelling
};

class Databases : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { odbc_ = new test::OdbcSetup; }
  static void TearDownTestSuite() {
    delete postgres_;
    postgres_ = nullptr;
    delete odbc_;
  }

  void SetUp() override {
    setCurrentLocale(Locale{});
    sqlite_ = (dir_ / "test.db").string();
    const bool isSqlite = std::string(GetParam()) == "sqlite";
    if (!isSqlite && !postgres_) postgres_ = new test::PostgresServer;
    words_ = {
        {"{cs}", isSqlite ? "Driver=SQLite3;Database=" + sqlite_ : postgres_->ConnectionString()},
        {"{real}", isSqlite ? "real" : "double precision"},
        {"{blob}", isSqlite ? "blob" : "bytea"},
        {"{bin}", isSqlite ? "x'0001'" : "'\\x0001'::bytea"},
        {"{true}", isSqlite ? "1" : "true"},
        {"{strict}", isSqlite ? " STRICT" : ""},
        {"{dec}", isSqlite ? "12.5" : "12.50"},
        // a statement that returns rows without being a SELECT
        {"{rows}", isSqlite ? "PRAGMA table_info(t)" : "VALUES (1), (2), (3)"},
    };
    Run("h = dbopen(\"{cs}\")\n"
        "dbexecute(h, \"CREATE TABLE t (id integer PRIMARY KEY, n integer, name text)\")\n"
        "dbexecute(h, \"INSERT INTO t VALUES (1, 10, 'a'), (2, 20, 'b'), (3, 30, 'c')\")");
  }

  std::string Words(std::string text) const {
    for (const auto& [word, spelling] : words_)
      for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + spelling.size()))
        text.replace(at, word.size(), spelling);
    return text;
  }

  test::LibraryRun Run(const std::string& script) {
    RecordingHost host;
    port::fake::FakeDesktop desktop;
    return test::RunOnFakeDesktop(Words(script), desktop, host);
  }

  // The rows of a query as the database's own command-line program prints them ("a|b" per row).
  std::string Outside(const std::string& query) const {
    return std::string(GetParam()) == "sqlite" ? test::CommandOutput("sqlite3 '" + sqlite_ + "' \"" + query + "\"")
                                               : postgres_->Psql(query);
  }

  void TearDown() override {
    if (std::string(GetParam()) != "sqlite")
      postgres_->Psql("DROP TABLE IF EXISTS t, kinds, s, dup");
  }

  static test::OdbcSetup* odbc_;
  static test::PostgresServer* postgres_;
  testbed::TempDir dir_;
  std::string sqlite_;
  std::map<std::string, std::string> words_;
};

test::OdbcSetup* Databases::odbc_ = nullptr;
test::PostgresServer* Databases::postgres_ = nullptr;

TEST_P(Databases, QueriesStatementsAndNavigation) {
  const auto run = Run(
      "h = dbopen(\"{cs}\")\n"
      "print dbexecute(h, \"  SELECT id, name FROM t ORDER BY id\")\n"
      "print dbbof(h), dbeof(h), dbget(h, \"NAME\")\n"
      "print dbnext(h), dbnext(h), dbnext(h), dbeof(h), dbnext(h)\n"
      "print dbback(h), dbget(h, \"id\"), dbeof(h)\n"
      "print dbfirst(h), dbback(h), dbbof(h), dbback(h), dbnext(h), dbget(h, \"name\")\n"
      "print dblast(h), dbget(h, \"name\")\n"
      "print dbexecute(h, \"WITH x AS (SELECT n FROM t WHERE n > 10) SELECT sum(n) AS total FROM x\")\n"
      "print dbget(h, \"total\")\n"
      "print dbexecute(h, \"UPDATE t SET n = n + 1 WHERE id >= 2\")\n"
      "print dbexecute(h, \"UPDATE t SET n = 0 WHERE id = 99\")\n"
      "print dbeof(h), dbbof(h)\n"
      "print dbexecute(h, \"SELECT * FROM t WHERE id > 5\"), dbeof(h), dbbof(h), dbnext(h), dbback(h)\n"
      "print dbclose(h), dbclose(h), dbclose(4711)\n"
      "h = dbopen(\"Provider=MSDASQL;{cs}\")\n"
      "print dbexecute(h, \"{rows}\")");
  EXPECT_EQ(run.Output,
            "3\n0     0     a\n1     1     1     1     0\n1     3     0\n1     1     1     0     1     a\n"
            "1     c\n1\n50\n2\n0\n1     1\n0     1     1     0     0\n1     0     0\n3\n");
  EXPECT_EQ(run.Errors, std::vector<std::string>{});
  EXPECT_EQ(Outside("SELECT n FROM t ORDER BY id"), "10\n21\n31\n");
}

TEST_P(Databases, WhatDbgetGivesForEachKindOfColumn) {
  const auto run = Run(
      "h = dbopen(\"{cs}\")\n"
      "dbexecute(h, \"CREATE TABLE kinds (id integer PRIMARY KEY, i integer, big bigint, r {real}, b boolean, "
      "d numeric(10,2), dt date, tm time, ts timestamp, tx text, bn {blob}, nul integer)\")\n"
      "dbexecute(h, \"INSERT INTO kinds VALUES (1, -7, 5000000000, 2.5, {true}, 12.50, '2024-03-05', '14:30:15', "
      "'2024-03-05 14:30:15', 'ü日本', {bin}, NULL)\")\n"
      "print dbexecute(h, \"SELECT * FROM kinds\")\n"
      "print dbget(h, \"i\") + 1, dbget(h, \"big\"), dbget(h, \"r\") * 2, dbget(h, \"b\"), dbget(h, \"d\")\n"
      "print dbget(h, \"dt\"), dbget(h, \"tm\"), dbget(h, \"ts\")\n"
      "print dtval(dbget(h, \"ts\")) - dtval(\"3/5/2024 2:30:15 PM\")\n"
      "b = dbget(h, \"bn\")\n"
      "print dbget(h, \"tx\"), length(b), asc(mid(b, 2, 1)), dbget(h, \"nul\") + \"]\"");
  EXPECT_EQ(run.Output, Words("1\n-6     5000000000     5     True     {dec}\n"
                              "3/5/2024     2:30:15 PM     3/5/2024 2:30:15 PM\n0\nü日本     2     1     ]\n"));
  EXPECT_EQ(run.Errors, std::vector<std::string>{});
}

TEST_P(Databases, DbputChangesTheRowInTheDatabaseAndTheRecordSet) {
  const auto run = Run(
      "h = dbopen(\"{cs}\")\n"
      "dbexecute(h, \"SELECT id, n, name FROM t ORDER BY id\")\n"
      "dbnext(h)\n"
      "print dbput(h, \"name\", \"zweiß\"), dbput(h, \"N\", \"42\")\n"
      "print dbget(h, \"name\"), dbget(h, \"n\") + 1\n"
      // without the key in the record set the row is found by all its values
      "dbexecute(h, \"SELECT n, name FROM t WHERE id = 3\")\n"
      "dbput(h, \"name\", \"drei\")\n"
      "dbput(h, \"n\", \"33\")");
  EXPECT_EQ(run.Output, "0     0\nzweiß     43\n");
  EXPECT_EQ(run.Errors, std::vector<std::string>{});
  EXPECT_EQ(Outside("SELECT id, n, name FROM t ORDER BY id"), "1|10|a\n2|42|zweiß\n3|33|drei\n");
}

TEST_P(Databases, RefusedChangesChangeNothing) {
  struct Case {
    const char* name;
    const char* script;
    const char* error;  // a part of the one error
  };
  const bool isSqlite = std::string(GetParam()) == "sqlite";
  const Case cases[] = {
      {"text into an integer column",
       "dbexecute(h, \"CREATE TABLE s (id integer PRIMARY KEY, n integer){strict}\")\n"
       "dbexecute(h, \"INSERT INTO s VALUES (1, 5)\")\ndbexecute(h, \"SELECT * FROM s\")\ndbput(h, \"n\", \"abc\")",
       isSqlite ? "cannot store TEXT value in INTEGER column" : "invalid input syntax for type integer"},
      {"two equal rows without a key",
       "dbexecute(h, \"CREATE TABLE dup (n integer, name text)\")\n"
       "dbexecute(h, \"INSERT INTO dup VALUES (1, 'x'), (1, 'x')\")\ndbexecute(h, \"SELECT n, name FROM dup\")\n"
       "dbput(h, \"name\", \"y\")",
       "The change would reach 2 rows of the table dup"},
      {"a computed field", "dbexecute(h, \"SELECT n + 1 AS m FROM t\")\ndbput(h, \"m\", \"5\")",
       "The field 'm' does not come from one table"},
      {"a row deleted meanwhile",
       "dbexecute(h, \"SELECT * FROM t WHERE id = 1\")\nk = dbopen(\"{cs}\")\n"
       "dbexecute(k, \"DELETE FROM t WHERE id = 1\")\ndbput(h, \"name\", \"gone\")",
       "The current row is no longer in the table t"},
      {"bad SQL", "dbexecute(h, \"SELEC * FROM t\")", "syntax error"},
      {"an unknown field", "dbexecute(h, \"SELECT * FROM t\")\ndbget(h, \"nothing\")", "Field 'nothing' not found"},
      {"no record set after a statement",
       "dbexecute(h, \"UPDATE t SET n = 1 WHERE id = 99\")\nprint dbeof(h), dbbof(h)\ndbget(h, \"n\")",
       "No record set: the last statement of this query returned no rows"},
      {"no record set before any statement", "dbnext(h)", "No record set: run a query with dbexecute first"},
      {"past the last row", "dbexecute(h, \"SELECT * FROM t\")\ndblast(h)\ndbnext(h)\ndbput(h, \"n\", \"1\")",
       "No current record: the record set is past its last row"},
      {"another provider", "dbopen(\"Provider=SQLOLEDB;Data Source=x\")",
       "The database provider SQLOLEDB is not available here"},
  };
  for (const Case& c : cases) {
    const auto run = Run(std::string("h = dbopen(\"{cs}\")\n") + c.script);
    ASSERT_EQ(run.Errors.size(), 1u) << c.name;
    EXPECT_NE(run.Errors[0].find(c.error), std::string::npos) << c.name << ": " << run.Errors[0];
  }
  EXPECT_EQ(Outside("SELECT n FROM s"), "5\n");
  EXPECT_EQ(Outside("SELECT name FROM dup"), "x\nx\n");
  EXPECT_EQ(Outside("SELECT count(*) FROM t WHERE name = 'gone'"), "0\n");
}

TEST_P(Databases, AWrongPasswordIsReportedWithoutThePassword) {
  if (std::string(GetParam()) == "sqlite") GTEST_SKIP() << "SQLite files have no passwords";
  words_["{cs}"] = postgres_->ConnectionString("Wrong-Secret-9");
  const auto run = Run("h = dbopen(\"{cs}\")\ndbexecute(h, \"SELECT 1\")");
  ASSERT_EQ(run.Errors.size(), 1u);
  EXPECT_NE(run.Errors[0].find("Cannot connect to the database"), std::string::npos) << run.Errors[0];
  EXPECT_NE(run.Errors[0].find("password authentication failed"), std::string::npos) << run.Errors[0];
  EXPECT_EQ(run.Errors[0].find("Wrong-Secret-9"), std::string::npos) << run.Errors[0];
}

INSTANTIATE_TEST_SUITE_P(OverOdbc, Databases, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& param) { return std::string(param.param); });

}  // namespace
}  // namespace tw
