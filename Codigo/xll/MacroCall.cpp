#include "MacroCall.h"

#include <cstddef>
#include <span>
#include <vector>

#include "Excel12.h"
#include "ExcelCall.h"
#include "kvplatform/ansi.h"

namespace xl {
namespace {
template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

constexpr char kNullArgument[] =
    "Erro! Parâmetro zero está sendo passado para o Excel. Limpando memória...\r";

// Through Excel4v: the pool's temporaries, as every other call of the add-in makes them.
int Run(int xlfn, XLOPER* result, std::span<const MacroArg> args) {
  std::vector<std::string> texts; // counted: a length byte, the characters, a zero
  texts.reserve(args.size());
  std::vector<LPXLOPER> records;
  records.reserve(args.size());
  for (const MacroArg& arg : args)
    records.push_back(
        std::visit(Overloaded{[](std::monostate) { return TempOmitted(); },
                              [](double value) { return TempNumber(value); },
                              [](std::int16_t value) { return TempInteger(value); },
                              [](bool flag) { return TempBoolean(flag ? 1 : 0); },
                              [&texts](const std::string& ansi) {
                                return TempText(texts.emplace_back(" " + ansi).data());
                              },
                              [](const SheetArea& a) -> LPXLOPER {
                                if (a.last_row > 65535 || a.last_col > 255)
                                  return nullptr; // beyond its grid
                                return TempSheetRange(static_cast<std::uint16_t>(a.first_row),
                                                      static_cast<std::uint16_t>(a.last_row),
                                                      static_cast<std::uint8_t>(a.first_col),
                                                      static_cast<std::uint8_t>(a.last_col));
                              },
                              [](const XLOPER* value) { return const_cast<LPXLOPER>(value); },
                              [](const XLOPER12*) -> LPXLOPER { return nullptr; }},
                   arg.value()));
  return ExcelCallv(xlfn, result, static_cast<int>(records.size()), records.data());
}

// Through Excel12v: records of its own, texts in UTF-16, each reference on the active sheet asked
// for its id as the Excel 4 one does.
int Run(int xlfn, XLOPER12* result, std::span<const MacroArg> args) {
  const std::size_t count = args.size();
  std::vector<XLOPER12> records(count);
  std::vector<XLMREF12> areas(count);
  std::vector<std::u16string> texts(count);
  std::vector<LPXLOPER12> pointers(count);
  std::size_t i = 0;
  for (const MacroArg& arg : args) {
    XLOPER12& record = records[i];
    pointers[i] = &record;
    const bool made = std::visit(
        Overloaded{[&](std::monostate) { return record.xltype = xltypeMissing, true; },
                   [&](double value) {
                     record.xltype = xltypeNum;
                     record.val.num = value;
                     return true;
                   },
                   [&](std::int16_t value) {
                     record.xltype = xltypeInt;
                     record.val.w = value;
                     return true;
                   },
                   [&](bool flag) {
                     record.xltype = xltypeBool;
                     record.val.xbool = flag ? 1 : 0;
                     return true;
                   },
                   [&](const std::string& ansi) {
                     texts[i] = kvp::AnsiToUtf16(ansi);
                     texts[i].insert(texts[i].begin(), static_cast<XCHAR>(texts[i].size()));
                     record.xltype = xltypeStr;
                     record.val.str = texts[i].data();
                     return true;
                   },
                   [&](const SheetArea& a) {
                     XLOPER12 sheet{};
                     if (Excel12(xlSheetId, &sheet, 0) != xlretSuccess) return false;
                     areas[i].count = 1;
                     areas[i].reftbl[0] =
                         XLREF12{static_cast<RW>(a.first_row), static_cast<RW>(a.last_row),
                                 static_cast<COL>(a.first_col), static_cast<COL>(a.last_col)};
                     record.xltype = xltypeRef;
                     record.val.mref.lpmref = &areas[i];
                     record.val.mref.idSheet = sheet.val.mref.idSheet;
                     return true;
                   },
                   [&](const XLOPER12* value) {
                     pointers[i] = const_cast<LPXLOPER12>(value);
                     return true;
                   },
                   [](const XLOPER*) { return false; }},
        arg.value());
    if (!made) {
      DebugTrace("%s", kNullArgument);
      return xlretFailed;
    }
    ++i;
  }
  const int code = Excel12v(xlfn, result, static_cast<int>(count), pointers.data());
  if (code != xlretSuccess) TraceCallFailure("Excel12", xlfn, code);
  return code;
}
} // namespace

SheetGrid GridInUse() {
  return Excel12InUse() ? SheetGrid{1048576, 16384} : SheetGrid{65536, 256};
}

int Macro(int xlfn, std::span<const MacroArg> args) {
  return Excel12InUse() ? Run(xlfn, static_cast<XLOPER12*>(nullptr), args)
                        : Run(xlfn, static_cast<XLOPER*>(nullptr), args);
}

int Macro(int xlfn, std::initializer_list<MacroArg> args) {
  return Macro(xlfn, std::span<const MacroArg>(args.begin(), args.size()));
}

int Macro(int xlfn, XLOPER* result, std::initializer_list<MacroArg> args) {
  return Run(xlfn, result, std::span<const MacroArg>(args.begin(), args.size()));
}

int Macro(int xlfn, XLOPER12* result, std::initializer_list<MacroArg> args) {
  return Run(xlfn, result, std::span<const MacroArg>(args.begin(), args.size()));
}

} // namespace xl
