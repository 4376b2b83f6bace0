#include "csv_reader.h"

#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kvhost {
namespace {

// What the parser's callbacks fill.
struct Reading {
  Cells cells;
  CsvDialect dialect;
  std::uint32_t row = 0;
  std::uint32_t column = 0;
  bool field_quoted = false; // set before each piece of input is handed to the parser
  bool lf_after_cr = false;  // the piece handed to the parser is an LF right after a CR
  std::string overflow;      // why the file does not fit the grid
  Grid grid;
};

void StoreField(Reading& r, std::string_view field) {
  if (field.empty()) return;
  if (r.field_quoted)
    r.cells.SetText(r.row, r.column, field);
  else if (const auto number =
               r.dialect.decimal == ',' ? DecimalCommaNumber(field) : NumberFromText(field))
    r.cells.SetNumber(r.row, r.column, *number);
  else if (EqualsIgnoringCase(field, "TRUE") || EqualsIgnoringCase(field, "FALSE"))
    r.cells.SetBoolean(r.row, r.column, EqualsIgnoringCase(field, "TRUE"));
  else if (const auto code = ErrorCodeFromName(field))
    r.cells.SetError(r.row, r.column, *code);
  else
    r.cells.SetText(r.row, r.column, field);
}

void OnField(void* bytes, std::size_t size, void* context) {
  auto& r = *static_cast<Reading*>(context);
  if (!r.overflow.empty()) return;
  if (r.row >= r.grid.rows) {
    r.overflow = "more than " + std::to_string(r.grid.rows) + " rows";
  } else if (r.column >= r.grid.columns) {
    r.overflow = "row " + std::to_string(r.row + 1) + " has more than " +
                 std::to_string(r.grid.columns) + " columns";
  } else {
    StoreField(r, std::string_view(static_cast<const char*>(bytes), size));
  }
  ++r.column;
}

// With every line ending reported (so that a blank line stays an empty row), CR LF arrives as
// two ends of row; the LF of a CR LF pair is not a row of its own. Only the LF that comes right
// after its CR is: a line of spaces between a CR and an LF is a blank row, as an editor shows it.
void OnRowEnd(int terminator, void* context) {
  auto& r = *static_cast<Reading*>(context);
  if (terminator == '\n' && r.lf_after_cr) return;
  ++r.row;
  r.column = 0;
}

// 32,767 characters of up to 3 UTF-8 bytes each, with room for quotes.
constexpr std::size_t kMaxFieldBytes = 3 * 32767 + 2;

// With a tab between fields, only the space is a space around a field.
int IsOnlySpace(unsigned char c) {
  return c == CSV_SPACE ? 1 : 0;
}

struct ParserCloser {
  void operator()(csv_parser* p) const { csv_free(p); }
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

std::optional<Cells> ReadCsvCells(const std::string& path, std::string& error,
                                  const CsvChoice& choice, const Grid& grid) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  csv_parser parser{};
  if (csv_init(&parser, CSV_REPALL_NL) != 0) {
    error = "cannot read " + path + ": out of memory";
    return std::nullopt;
  }
  std::unique_ptr<csv_parser, ParserCloser> release(&parser);
  Reading reading;
  reading.grid = grid;

  // libcsv hands over a field's bytes but not whether the field was quoted. Its parser record
  // keeps that flag for the field in progress and stores it at the end of every csv_parse
  // call, so the input goes in pieces that each begin at a byte that may end a field: a field
  // can only end at a piece's first byte, and the flag read just before the call is that
  // field's.
  const auto ends_field = [&reading](char c) {
    return c == reading.dialect.separator || c == '\r' || c == '\n';
  };
  std::size_t unbroken = 0; // bytes since the last separator, across blocks
  char previous = '\0';     // the byte before the piece, across blocks
  auto parse = [&](const char* first, const char* last) {
    while (first < last) {
      const char* next = std::find_if(first + 1, last, ends_field);
      // A cell holds at most 32,767 characters; what runs far longer without a separator is no
      // data a worksheet can take, and the parser would keep all of it in memory.
      unbroken += static_cast<std::size_t>(next - first);
      if (unbroken > kMaxFieldBytes) {
        reading.overflow = "a field longer than a cell holds (32,767 characters)";
        return true;
      }
      if (next < last) unbroken = 0; // the next piece starts at a separator
      reading.field_quoted = parser.quoted != 0;
      // An LF outside quotes is always the first byte of its piece.
      reading.lf_after_cr = *first == '\n' && previous == '\r';
      previous = next[-1];
      const auto size = static_cast<std::size_t>(next - first);
      if (csv_parse(&parser, first, size, OnField, OnRowEnd, &reading) != size) return false;
      if (!reading.overflow.empty()) return true;
      first = next;
    }
    return true;
  };

  static constexpr std::size_t kBlock = 1 << 16;
  auto buffer = std::make_unique<char[]>(kBlock);
  bool first_block = true;
  while (reading.overflow.empty()) {
    const std::size_t got = std::fread(buffer.get(), 1, kBlock, file.get());
    if (std::ferror(file.get())) {
      error = "cannot read " + path + ": " + std::strerror(errno);
      return std::nullopt;
    }
    const char* first = buffer.get();
    if (first_block) {
      if (got >= 3 && std::memcmp(first, "\xEF\xBB\xBF", 3) == 0) first += 3;
      const std::string_view head(first, static_cast<std::size_t>(buffer.get() + got - first));
      reading.dialect = DetectCsvDialect(head, got < kBlock, choice);
      csv_set_delim(&parser, static_cast<unsigned char>(reading.dialect.separator));
      if (reading.dialect.separator == '\t') csv_set_space_func(&parser, IsOnlySpace);
      first_block = false;
    }
    if (!parse(first, buffer.get() + got)) {
      error = "cannot read " + path + ": " + csv_strerror(csv_error(&parser));
      return std::nullopt;
    }
    if (got < kBlock) break;
  }
  if (reading.overflow.empty()) {
    reading.field_quoted = parser.quoted != 0;
    csv_fini(&parser, OnField, OnRowEnd, &reading);
  }
  if (!reading.overflow.empty()) {
    error = path + " does not fit a worksheet: " + reading.overflow;
    return std::nullopt;
  }
  return std::move(reading.cells);
}

} // namespace kvhost
