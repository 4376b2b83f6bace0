// CSV dialects: which character separates the fields and which one marks the decimals, as Excel
// writes a CSV file under different regional settings (English: ',' and '.'; Portuguese and most
// European settings: ';' and ',' with '.' between groups of thousands).
#pragma once

#include <optional>
#include <string_view>

namespace kvhost {

struct CsvDialect {
  char separator = ','; // ',', ';' or '\t'
  char decimal = '.';   // '.' or ','
};

// What the command line forces; what it leaves out is found in the file.
struct CsvChoice {
  std::optional<char> separator;
  std::optional<char> decimal;
};

// The dialect of a file from its first bytes (`head`, the whole file when `whole`, else a
// piece that may end inside a record). Looked at: the first 100 records that are not blank,
// outside quotes.
//   - separator: ';' when the first of those records (the header, as a rule) holds a ';' and so
//     do more than half of them; else a tab when the first holds a tab and no ',', and more than
//     half hold a tab; else ',' (a file without any of them is one column, read as a comma
//     file: a column of numbers with decimal commas needs the separator given);
//   - decimal: ',' after a ',' separator is impossible (the ',' splits the number), so '.';
//     after ';' or a tab, the fields that read as a number in one convention only decide: some
//     only with a decimal point ("1605.54", "0.5") and none only with a decimal comma → '.';
//     some only with a decimal comma ("1605,54", "-0,5") and none only with a point → ','; else
//     ',' after ';' and '.' after a tab. A field such as "1.628" (one thousand six hundred and
//     twenty-eight with a decimal comma, a fraction with a point) decides nothing.
// A separator or a decimal in `forced` is taken as given; a forced separator alone brings its
// decimal by the same rule.
CsvDialect DetectCsvDialect(std::string_view head, bool whole, const CsvChoice& forced);

// The number an unquoted field written with a decimal comma stands for, as Excel under
// Portuguese settings reads it: an optional sign, the integer digits either plain ("1628") or
// in groups of three after a first group of one to three digits, separated by '.' ("1.628",
// "12.345.678"), then an optional ',' and decimals, then an optional exponent ("1,5E+03"). At
// least one digit. Nothing for anything else ("1.62,75", "12.5", "1,2,3", "1 628").
std::optional<double> DecimalCommaNumber(std::string_view text);

} // namespace kvhost
