#include "csv_dialect.h"

#include <string>
#include <vector>

#include "../model/cells.h"

namespace kvhost {
namespace {

constexpr std::size_t kSampleRecords = 100;

struct Field {
  std::string_view text; // without the spaces around it
  bool quoted = false;
};
using Record = std::vector<Field>;

bool IsSpace(char c, char separator) {
  return c == ' ' || (c == '\t' && separator != '\t');
}

std::string_view Trimmed(std::string_view text, char separator) {
  while (!text.empty() && IsSpace(text.front(), separator))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back(), separator))
    text.remove_suffix(1);
  return text;
}

// The first records of `head` that are not blank, split at `separator` as the parser splits
// them: a field that starts with a quote runs to its closing quote ("" inside it is a quote),
// and the separators and line ends inside it are its own. A record the head cuts short is left
// out unless it is the only one.
std::vector<Record> SampleRecords(std::string_view head, bool whole, char separator) {
  std::vector<Record> records;
  Record record;
  bool blank = true;
  std::size_t i = 0;
  while (i < head.size() && records.size() < kSampleRecords) {
    // One field: leading spaces, then a quoted part or plain bytes, up to a separator or an end.
    std::size_t start = i;
    while (i < head.size() && IsSpace(head[i], separator))
      ++i;
    bool quoted = false;
    if (i < head.size() && head[i] == '"') {
      quoted = true;
      for (++i; i < head.size(); ++i) {
        if (head[i] != '"') continue;
        if (i + 1 < head.size() && head[i + 1] == '"') {
          ++i;
          continue;
        }
        ++i;
        break;
      }
    }
    while (i < head.size() && head[i] != separator && head[i] != '\r' && head[i] != '\n')
      ++i;
    const std::string_view text = Trimmed(head.substr(start, i - start), separator);
    if (quoted || !text.empty() || (i < head.size() && head[i] == separator)) blank = false;
    record.push_back(Field{text, quoted});
    if (i < head.size() && head[i] == separator) {
      ++i;
      continue;
    }
    const bool ended = i < head.size();
    if (ended) ++i; // the CR or LF; a CR LF pair gives a blank record, passed over
    if (!blank && (ended || whole || records.empty())) records.push_back(std::move(record));
    record.clear();
    blank = true;
  }
  return records;
}

// The first record and most of the others hold the separator the records were split at: a
// title or a total alone on its line does not hide a ';' file, and a ';' in a text here and there
// does not make a comma file one.
bool MostSplit(const std::vector<Record>& records) {
  if (records.empty() || records.front().size() < 2) return false;
  std::size_t split = 0;
  for (const Record& record : records)
    split += record.size() > 1 ? 1 : 0;
  return 2 * split > records.size();
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char DecimalOf(std::string_view head, bool whole, char separator) {
  if (separator == ',') return '.';
  bool point_only = false, comma_only = false;
  for (const Record& record : SampleRecords(head, whole, separator))
    for (const Field& field : record) {
      if (field.quoted) continue;
      const bool as_point = NumberFromText(field.text).has_value();
      const bool as_comma = DecimalCommaNumber(field.text).has_value();
      if (as_point && !as_comma && field.text.find('.') != std::string_view::npos)
        point_only = true;
      if (as_comma && !as_point) comma_only = true;
    }
  if (point_only != comma_only) return point_only ? '.' : ',';
  return separator == ';' ? ',' : '.';
}

} // namespace

CsvDialect DetectCsvDialect(std::string_view head, bool whole, const CsvChoice& forced) {
  CsvDialect dialect;
  if (forced.separator) {
    dialect.separator = *forced.separator;
  } else if (MostSplit(SampleRecords(head, whole, ';'))) {
    dialect.separator = ';';
  } else if (const auto tabbed = SampleRecords(head, whole, '\t'); MostSplit(tabbed)) {
    // Excel's tab files under Portuguese settings hold decimal commas, but a header holds none;
    // tabs on the lines of a comma file are spaces around its fields.
    const auto commas = SampleRecords(head, whole, ',');
    if (commas.empty() || commas.front().size() < 2) dialect.separator = '\t';
  }
  dialect.decimal = forced.decimal ? *forced.decimal : DecimalOf(head, whole, dialect.separator);
  return dialect;
}

std::optional<double> DecimalCommaNumber(std::string_view text) {
  std::string plain; // the same number with a decimal point and no group separators
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  std::size_t digits = 0, group = 0;
  bool grouped = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      plain += text[i];
      ++digits;
      ++group;
    } else if (text[i] == '.') {
      // The first group has one to three digits, every later one three.
      if (group == 0 || group > 3 || (grouped && group != 3)) return std::nullopt;
      grouped = true;
      group = 0;
    } else {
      break;
    }
  }
  if (grouped && group != 3) return std::nullopt;
  if (i < text.size() && text[i] == ',') {
    plain += '.';
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      plain += text[i];
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    const std::size_t exponent = i;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      plain += text[i];
    if (i == exponent) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return NumberFromText(plain);
}

} // namespace kvhost
