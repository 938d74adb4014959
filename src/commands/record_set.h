#pragma once
// TRecordSet: the rows a query returned, all held in memory (a static record set), with a current position
// that can also stand before the first row (BOF) or after the last (EOF); an empty set is at both.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter.h"
#include "interpreter/value.h"

namespace tw {

// How a column's values are kept and given to scripts.
enum class ColumnKind : std::uint8_t {
  Integer,    // whole numbers; beyond 32 bits their exact text
  Real,       // reals
  Boolean,    // bit and boolean columns
  Exact,      // decimal and numeric: their exact text
  Date,       // the following three are kept as the driver's text (ISO 8601) and shown in the
  Time,       //   Locale's date and time format
  Timestamp,
  Text,       // UTF-8
  Binary,     // bytes
};

struct TColumn {
  std::string Name;  // as the driver names it
  ColumnKind Kind = ColumnKind::Text;
  short SqlType = 0;           // the driver's SQL type
  std::size_t Size = 0;        // column size and decimal digits, for binding values of this column
  short DecimalDigits = 0;
  // Where the column comes from; BaseTable is empty when it comes from no one table (an expression).
  std::string Catalog, Schema, BaseTable, BaseColumn;
};

// One field of one row. Text lives in the record set's text store, so a cell holds no memory of its own.
struct TCell {
  enum class Kind : std::uint8_t { Null, Integer, Real, Boolean, Text };
  Kind Type = Kind::Null;
  bool Flag = false;                 // Boolean
  std::int32_t Integer = 0;          // Integer
  std::uint32_t Length = 0;          // Text: its bytes in the store
  union {
    double Real = 0;                 // Real
    std::size_t Offset;              // Text
  };
};

class TRecordSet {
 public:
  explicit TRecordSet(std::vector<TColumn> columns);

  const std::vector<TColumn>& Columns() const { return columns_; }
  std::size_t RowCount() const { return columns_.empty() ? 0 : cells_.size() / columns_.size(); }

  // Filling, field after field and row after row.
  void AddNull() { cells_.emplace_back(); }
  void AddReal(double real);
  // A value the driver gave as text: a number where the kind holds one (a whole number only within 32
  // bits, booleans from 1/0, t/f, true/false, y/n, yes/no), else the text as it is.
  void AddText(ColumnKind kind, std::string_view text);

  bool Bof() const { return RowCount() == 0 || position_ < 0; }
  bool Eof() const { return RowCount() == 0 || position_ >= static_cast<std::ptrdiff_t>(RowCount()); }
  void First() { position_ = 0; }
  void Last() { position_ = RowCount() == 0 ? 0 : static_cast<std::ptrdiff_t>(RowCount()) - 1; }
  // False (and no move) when already after the last row.
  bool Next();
  // False (and no move) when already before the first row.
  bool Back();

  // The column of that name, compared without letter case; the first one when several share it.
  std::optional<std::size_t> FieldIndex(std::string_view name) const;

  // The fields of the current row; only while neither Bof() nor Eof().
  bool IsNull(std::size_t field) const { return Current(field).Type == TCell::Kind::Null; }
  // The field as it is kept: a whole number, real or boolean where the kind allows, else text; NULL is "".
  ScriptValue StoredValue(std::size_t field) const;
  // What dbget gives for the field: the stored value, dates and times in the Locale's formats.
  ScriptValue FieldValue(std::size_t field) const;
  // Replaces the field of the current row with a value given as text (read as AddText reads it).
  void SetText(std::size_t field, std::string_view text);

 private:
  TCell& Current(std::size_t field) { return cells_[static_cast<std::size_t>(position_) * columns_.size() + field]; }
  const TCell& Current(std::size_t field) const {
    return cells_[static_cast<std::size_t>(position_) * columns_.size() + field];
  }
  TCell FromText(ColumnKind kind, std::string_view text);

  std::vector<TColumn> columns_;
  std::vector<TCell> cells_;     // row after row
  std::string texts_;            // the text of every Text cell
  NameMap<std::size_t> fields_;  // lower-cased name -> first column of that name
  std::ptrdiff_t position_ = 0;
};

// A date, time or timestamp as the driver writes it ("2024-03-05", "14:30:00", "2024-03-05 14:30:00.250") in
// the Locale's short date (with a four-digit year) and long time formats; other text comes back unchanged.
std::string LocaleDateTimeText(ColumnKind kind, std::string_view isoText);

}  // namespace tw
