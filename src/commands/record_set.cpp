#include "commands/record_set.h"

#include <charconv>
#include <cstdlib>
#include <limits>

#include "interpreter/locale/datetime.h"
#include "text/ascii_text.h"
#include "text/case_mapping.h"

namespace tw {

namespace {

// Reads "d+" at `at`, exactly `digits` long (any length when 0).
bool ReadNumber(std::string_view text, std::size_t& at, std::size_t digits, int& out) {
  const std::size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && (digits == 0 || at - start < digits)) ++at;
  if (at == start || (digits != 0 && at - start != digits)) return false;
  std::from_chars(text.data() + start, text.data() + at, out);
  return true;
}

bool ReadDate(std::string_view text, std::size_t& at, CivilDateTime& civil) {
  return ReadNumber(text, at, 4, civil.year) && at < text.size() && text[at++] == '-' &&
         ReadNumber(text, at, 2, civil.month) && at < text.size() && text[at++] == '-' &&
         ReadNumber(text, at, 2, civil.day);
}

bool ReadTime(std::string_view text, std::size_t& at, CivilDateTime& civil) {
  if (!ReadNumber(text, at, 2, civil.hour) || at >= text.size() || text[at++] != ':' ||
      !ReadNumber(text, at, 2, civil.minute))
    return false;
  if (at < text.size() && text[at] == ':') {
    ++at;
    if (!ReadNumber(text, at, 2, civil.second)) return false;
  }
  if (at < text.size() && text[at] == '.') {
    // Fractions of a second to the millisecond; the time formats do not show them.
    ++at;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      if (digits < 3) civil.millisecond = civil.millisecond * 10 + (text[at] - '0');
      ++digits;
      ++at;
    }
    for (; digits < 3; ++digits) civil.millisecond *= 10;
  }
  return true;
}

// The short date pattern with its year written with four digits.
std::string FourDigitYears(std::string pattern) {
  const std::size_t at = pattern.find('y');
  if (at == std::string::npos) return pattern;
  std::size_t end = at;
  while (end < pattern.size() && pattern[end] == 'y') ++end;
  return pattern.replace(at, end - at, "yyyy");
}

}  // namespace

std::string LocaleDateTimeText(ColumnKind kind, std::string_view isoText) {
  CivilDateTime civil;
  std::size_t at = 0;
  const Locale& locale = currentLocale();
  std::string pattern;
  bool read = false;
  switch (kind) {
    case ColumnKind::Date:
      read = ReadDate(isoText, at, civil);
      pattern = FourDigitYears(locale.shortDateFormat);
      break;
    case ColumnKind::Time:
      read = ReadTime(isoText, at, civil);
      pattern = locale.longTimeFormat;
      break;
    case ColumnKind::Timestamp:
      read = ReadDate(isoText, at, civil) && at < isoText.size() && (isoText[at] == ' ' || isoText[at] == 'T') &&
             ReadTime(isoText, ++at, civil);
      pattern = FourDigitYears(locale.shortDateFormat) + " " + locale.longTimeFormat;
      break;
    default: return std::string(isoText);
  }
  if (!read) return std::string(isoText);
  try {
    return formatDateTime(pattern, encodeDateTime(civil), locale);
  } catch (const std::exception&) {
    return std::string(isoText);
  }
}

TRecordSet::TRecordSet(std::vector<TColumn> columns) : columns_(std::move(columns)) {
  for (std::size_t i = 0; i < columns_.size(); ++i) fields_.try_emplace(text::LowerCase(columns_[i].Name), i);
}

TCell TRecordSet::FromText(ColumnKind kind, std::string_view text) {
  TCell cell;
  switch (kind) {
    case ColumnKind::Integer: {
      std::int64_t number = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      if (error == std::errc() && end == text.data() + text.size() && !text.empty() &&
          number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max()) {
        cell.Type = TCell::Kind::Integer;
        cell.Integer = static_cast<std::int32_t>(number);
        return cell;
      }
      break;
    }
    case ColumnKind::Real: {
      // The driver's text uses a point, whatever the Locale says.
      std::string copy(text);
      char* end = nullptr;
      const double real = std::strtod(copy.c_str(), &end);
      if (!copy.empty() && end == copy.c_str() + copy.size()) {
        cell.Type = TCell::Kind::Real;
        cell.Real = real;
        return cell;
      }
      break;
    }
    case ColumnKind::Boolean:
      for (std::string_view yes : {"1", "t", "true", "y", "yes"})
        if (EqualsIgnoringAsciiCase(text, yes)) {
          cell.Type = TCell::Kind::Boolean;
          cell.Flag = true;
          return cell;
        }
      for (std::string_view no : {"0", "f", "false", "n", "no"})
        if (EqualsIgnoringAsciiCase(text, no)) {
          cell.Type = TCell::Kind::Boolean;
          return cell;
        }
      break;
    default: break;
  }
  cell.Type = TCell::Kind::Text;
  cell.Offset = texts_.size();
  cell.Length = static_cast<std::uint32_t>(text.size());
  texts_.append(text);
  return cell;
}

void TRecordSet::AddReal(double real) {
  TCell& cell = cells_.emplace_back();
  cell.Type = TCell::Kind::Real;
  cell.Real = real;
}

void TRecordSet::AddText(ColumnKind kind, std::string_view text) { cells_.push_back(FromText(kind, text)); }

void TRecordSet::SetText(std::size_t field, std::string_view text) {
  Current(field) = FromText(columns_[field].Kind, text);
}

ScriptValue TRecordSet::StoredValue(std::size_t field) const {
  const TCell& cell = Current(field);
  switch (cell.Type) {
    case TCell::Kind::Null: return ScriptValue("");
    case TCell::Kind::Integer: return ScriptValue::Integer(cell.Integer);
    case TCell::Kind::Real: return ScriptValue::Real(cell.Real);
    case TCell::Kind::Boolean: return ScriptValue::Boolean(cell.Flag);
    case TCell::Kind::Text: return ScriptValue(std::string_view(texts_).substr(cell.Offset, cell.Length));
  }
  return ScriptValue("");
}

bool TRecordSet::Next() {
  if (Eof()) return false;
  ++position_;
  return true;
}

bool TRecordSet::Back() {
  if (Bof()) return false;
  --position_;
  return true;
}

std::optional<std::size_t> TRecordSet::FieldIndex(std::string_view name) const {
  auto it = fields_.find(text::LowerCase(name));
  if (it == fields_.end()) return std::nullopt;
  return it->second;
}

ScriptValue TRecordSet::FieldValue(std::size_t field) const {
  ScriptValue value = StoredValue(field);
  const ColumnKind kind = columns_[field].Kind;
  if (!IsNull(field) && (kind == ColumnKind::Date || kind == ColumnKind::Time || kind == ColumnKind::Timestamp))
    return ScriptValue(LocaleDateTimeText(kind, value.TextView()));
  return value;
}

}  // namespace tw
