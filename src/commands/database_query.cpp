#include "commands/database_query.h"

#include "text/case_mapping.h"

namespace tw {

namespace {

bool SameName(const std::string& a, const std::string& b) { return text::LowerCase(a) == text::LowerCase(b); }

bool SameTable(const TColumn& a, const TColumn& b) {
  return a.BaseTable == b.BaseTable && a.Schema == b.Schema && a.Catalog == b.Catalog;
}

}  // namespace

std::int64_t TDatabaseQuery::Execute(const std::string& sql) {
  records_.reset();
  hasRun_ = true;
  if (!odbc_) odbc_ = std::make_unique<OdbcConnection>(connection_.Odbc, connection_.Secrets);
  TExecuteResult result = odbc_->Execute(sql);
  if (!result.Records) return result.Affected;
  records_ = std::move(result.Records);
  return static_cast<std::int64_t>(records_->RowCount());
}

void TDatabaseQuery::Put(std::size_t field, const std::string& value) {
  const std::vector<TColumn>& columns = records_->Columns();
  const TColumn& target = columns[field];
  if (target.BaseTable.empty() || target.BaseColumn.empty())
    throw DatabaseFailure("The field '" + target.Name + "' does not come from one table, so it cannot be changed");

  // The key columns: the primary key when the record set holds all of it, else every column of the table.
  std::vector<std::size_t> keyFields;
  for (const std::string& keyColumn : odbc_->PrimaryKey(target)) {
    std::size_t found = columns.size();
    for (std::size_t i = 0; i < columns.size() && found == columns.size(); ++i)
      if (SameTable(columns[i], target) && SameName(columns[i].BaseColumn, keyColumn)) found = i;
    if (found == columns.size()) {
      keyFields.clear();
      break;
    }
    keyFields.push_back(found);
  }
  if (keyFields.empty())
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (SameTable(columns[i], target) && !columns[i].BaseColumn.empty()) keyFields.push_back(i);

  std::string table;
  for (const std::string* part : {&target.Catalog, &target.Schema, &target.BaseTable})
    if (!part->empty()) table.append(table.empty() ? "" : ".").append(odbc_->Quoted(*part));
  std::string sql = "UPDATE " + table + " SET " + odbc_->Quoted(target.BaseColumn) + " = ? WHERE ";
  std::vector<TKeyValue> keys;
  for (std::size_t i = 0; i < keyFields.size(); ++i) {
    const bool null = records_->IsNull(keyFields[i]);
    sql += (i ? " AND " : "") + odbc_->Quoted(columns[keyFields[i]].BaseColumn) + (null ? " IS NULL" : " = ?");
    if (!null) keys.push_back({&columns[keyFields[i]], records_->StoredValue(keyFields[i])});
  }

  const std::int64_t rows = odbc_->UpdateOneRow(sql, target, value, keys);
  if (rows == 0)
    throw DatabaseFailure("The current row is no longer in the table " + target.BaseTable + "; nothing was changed");
  if (rows > 1)
    throw DatabaseFailure("The change would reach " + std::to_string(rows) + " rows of the table " + target.BaseTable +
                          " that hold the same values (the record set holds no key of it); nothing was changed");
  records_->SetText(field, value);
}

}  // namespace tw
