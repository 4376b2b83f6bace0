// The functions only the C interface offers (the xlSpecial numbers): memory, coercion, sheet
// ids, the main window and the add-in's own name.
#include <cmath>
#include <limits>
#include <type_traits>

#include "excel_host.h"
#include "kvplatform/ansi.h"
#include "values.h"

namespace kvhost {
namespace {

template <class Oper> int Free(ExcelHost& host, Oper*, ArgumentsOf<Oper> args) {
  for (Oper* value : args)
    host.memory().Release(*value);
  return xlretSuccess;
}

// Converts a scalar to exactly `type`; false when Excel could not.
template <class Oper>
bool ConvertScalar(ExcelHost& host, const Oper& source, unsigned type, Oper& out) {
  const unsigned from = BaseType(source);
  const bool empty = from == xltypeNil || from == xltypeMissing;
  if (from == xltypeErr) return false;
  switch (type) {
  case xltypeNum: {
    const auto number = empty ? std::optional<double>(0) : NumberOf(source);
    if (!number) return false;
    out.xltype = xltypeNum;
    out.val.num = *number;
    return true;
  }
  case xltypeInt: {
    const auto number = empty ? std::optional<double>(0) : NumberOf(source);
    if (!number || !std::isfinite(*number)) return false;
    using Int = typename xl::Kind<Oper>::Int;
    const double whole = std::trunc(*number);
    if (whole < std::numeric_limits<Int>::min() || whole > std::numeric_limits<Int>::max())
      return false;
    out.xltype = xltypeInt;
    out.val.w = static_cast<Int>(whole);
    return true;
  }
  case xltypeStr: {
    std::string text;
    if (from == xltypeStr)
      text = *Utf8Text(source);
    else if (from == xltypeBool)
      text = source.val.xbool ? "TRUE" : "FALSE";
    else if (!empty)
      text = GeneralNumberText(*NumberOf(source));
    SetText(host, &out, text);
    return true;
  }
  case xltypeBool: {
    if (from == xltypeStr) {
      const std::string text = *Utf8Text(source);
      if (!EqualsIgnoringCase(text, "TRUE") && !EqualsIgnoringCase(text, "FALSE")) return false;
      out.val.xbool = EqualsIgnoringCase(text, "TRUE") ? 1 : 0;
    } else {
      out.val.xbool = empty ? 0 : (*NumberOf(source) != 0 ? 1 : 0);
    }
    out.xltype = xltypeBool;
    return true;
  }
  default: return false;
  }
}

// The values of a reference's one area as an array, row by row: nil for an empty cell, texts
// given back with the array at xlFree. An Excel 4 array holds at most 65535 rows.
template <class Oper>
int CellsAsArray(ExcelHost& host, Oper* result, const ReferencedCells& cells) {
  const CellRange& area = cells.areas[0];
  if (std::is_same_v<Oper, XLOPER> && area.Rows() > std::numeric_limits<std::uint16_t>::max())
    return xlretFailed;
  if (result == nullptr) return xlretSuccess;
  Oper* elements = host.memory().template NewArray<Oper>(area.Rows(), area.Columns());
  std::size_t i = 0;
  for (std::uint32_t row = area.first_row; row <= area.last_row; ++row)
    for (std::uint32_t column = area.first_column; column <= area.last_column; ++column)
      SetCellValue(host, &elements[i++], cells.sheet->cells, row, column);
  result->xltype = xltypeMulti;
  result->val.array.lparray = elements;
  result->val.array.rows = static_cast<decltype(result->val.array.rows)>(area.Rows());
  result->val.array.columns = static_cast<decltype(result->val.array.columns)>(area.Columns());
  return xlretSuccess;
}

// xlCoerce(source, [type mask]). A reference of one area on a worksheet gives its values: an
// array of them when xltypeMulti is asked, or no type and the area has several cells; else the
// top-left cell's value, converted as a constant would be. Several areas, and arrays to arrays,
// are refused as an invalid record rather than answered wrongly.
template <class Oper> int Coerce(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  unsigned mask = 0; // 0: Excel's default type
  if (args.size() == 2 && !IsOmitted(*args[1]) && BaseType(*args[1]) != xltypeNil) {
    const auto requested = NumberOf(*args[1]);
    if (!requested) return xlretInvXloper;
    mask = static_cast<unsigned>(*requested);
  }
  Oper source = *args[0];
  Oper cell_value = xl::Nil<Oper>(); // a referenced cell's value, given back below
  switch (BaseType(source)) {
  case xltypeRef:
  case xltypeSRef: {
    const auto cells = ResolveReference(host, source);
    if (!cells || cells->areas.size() != 1 || cells->sheet->kind != SheetKind::Worksheet)
      return xlretInvXloper;
    const CellRange& area = cells->areas[0];
    if ((mask & xltypeMulti) || (mask == 0 && (area.Rows() > 1 || area.Columns() > 1)))
      return CellsAsArray(host, result, *cells);
    SetCellValue(host, &cell_value, cells->sheet->cells, area.first_row, area.first_column);
    source = cell_value;
    break;
  }
  case xltypeFlow:
  case xltypeBigData: return xlretInvXloper;
  case xltypeMulti: // to a scalar type: the top-left element
    if (mask == 0 || (mask & xltypeMulti) || source.val.array.lparray == nullptr ||
        source.val.array.rows <= 0 || source.val.array.columns <= 0)
      return xlretInvXloper;
    source = source.val.array.lparray[0];
    break;
  default: break;
  }
  if (mask == 0 || (mask & BaseType(source))) mask = BaseType(source); // already right
  Oper out{};
  for (unsigned type :
       {xltypeNum, xltypeInt, xltypeStr, xltypeBool, xltypeErr, xltypeNil, xltypeMissing}) {
    if (!(mask & type)) continue;
    if (type == BaseType(source) && type != xltypeStr) {
      out = source;
      out.xltype = static_cast<typename xl::Kind<Oper>::Type>(type);
    } else if (!ConvertScalar(host, source, type, out)) {
      continue;
    }
    if (result != nullptr)
      *result = out;
    else
      host.memory().Release(out);
    host.memory().Release(cell_value); // a text is always copied into `out`
    return xlretSuccess;
  }
  host.memory().Release(cell_value);
  return xlretInvXloper;
}

// xlSet(reference, [values]): constants into the cells of one rectangle of any open worksheet
// (it need not be the active one). An array smaller than the rectangle is padded with #N/A,
// except that one row is repeated down the rectangle and one column across it; a larger array is
// cut to the rectangle; a single value fills it; nil elements, and omitted values, clear cells.
// Formats stay as they were. Only commands may call it. Excel leaves its result undocumented:
// kvhost answers TRUE.
template <class Oper> int SetCells(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  if (host.recalculating()) return xlretInvXlfn;
  const auto target = ResolveReference(host, *args[0]);
  if (!target || target->areas.size() != 1) return xlretInvXloper;
  if (target->sheet->kind != SheetKind::Worksheet) return xlretFailed;
  const CellRange& area = target->areas[0];
  if (area.first_row > area.last_row || area.first_column > area.last_column) return xlretInvXloper;

  static const Oper kClear = xl::Nil<Oper>();
  const Oper* values = &kClear;
  std::size_t rows = 1, columns = 1;
  if (args.size() == 2 && BaseType(*args[1]) == xltypeMulti) {
    const auto& array = args[1]->val.array;
    if (array.lparray == nullptr || array.rows <= 0 || array.columns <= 0) return xlretInvXloper;
    values = array.lparray;
    rows = array.rows;
    columns = array.columns;
  } else if (args.size() == 2) {
    values = args[1];
  }
  // Every element is checked before any cell changes.
  for (std::size_t k = 0; k < rows * columns; ++k) {
    switch (BaseType(values[k])) {
    case xltypeNum:
    case xltypeInt:
    case xltypeBool:
    case xltypeErr:
    case xltypeNil:
    case xltypeMissing: break;
    case xltypeStr:
      if (values[k].val.str == nullptr) return xlretInvXloper;
      break;
    default: return xlretInvXloper;
    }
  }

  Oper not_available{};
  not_available.xltype = xltypeErr;
  not_available.val.err = xlerrNA;
  Cells& cells = target->sheet->cells;
  for (std::uint32_t j = 0; j < area.Columns(); ++j) {
    const std::size_t source_column = columns == 1 ? 0 : j;
    for (std::uint32_t i = 0; i < area.Rows(); ++i) {
      const std::size_t source_row = rows == 1 ? 0 : i;
      const Oper& value = source_row < rows && source_column < columns
                              ? values[source_row * columns + source_column]
                              : not_available;
      const std::uint32_t row = area.first_row + i, column = area.first_column + j;
      switch (BaseType(value)) {
      case xltypeNum: cells.SetNumber(row, column, value.val.num); break;
      case xltypeInt: cells.SetNumber(row, column, value.val.w); break;
      case xltypeStr: cells.SetText(row, column, *Utf8Text(value)); break;
      case xltypeBool: cells.SetBoolean(row, column, value.val.xbool != 0); break;
      case xltypeErr: cells.SetError(row, column, value.val.err); break;
      default: cells.Clear(row, column); break;
      }
    }
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// xlSheetId(): the active sheet's id, in a reference without rectangles. A chart sheet has no
// cells to refer to: the call fails there.
template <class Oper> int ActiveSheetId(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  if (host.app().ActiveSheet().kind != SheetKind::Worksheet) return xlretFailed;
  if (result != nullptr) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = host.app().ActiveSheet().id;
  }
  return xlretSuccess;
}

// xlSheetNm(reference): the name of the reference's sheet as "[Book]Sheet", a text given back
// with xlFree. A single-sheet reference, or sheet id 0, names the active sheet.
template <class Oper> int SheetName(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  const Oper& reference = *args[0];
  SheetId id = host.app().ActiveSheet().id;
  if (BaseType(reference) == xltypeRef) {
    if (reference.val.mref.idSheet != 0) id = static_cast<SheetId>(reference.val.mref.idSheet);
  } else if (BaseType(reference) != xltypeSRef) {
    return xlretInvXloper;
  }
  const Sheet* sheet = host.app().FindSheet(id);
  const Workbook* book = host.app().WorkbookOf(id);
  if (sheet == nullptr || book == nullptr) return xlretInvXloper;
  std::string name(1, '[');
  name.append(book->name).append(1, ']').append(sheet->name);
  SetText(host, result, name);
  return xlretSuccess;
}

template <class Oper> int GetHwnd(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  if (result != nullptr) {
    // The Excel 4 record holds the handle's low 16 bits, the Excel 12 one its low 32.
    using Int = typename xl::Kind<Oper>::Int;
    using Unsigned = std::make_unsigned_t<Int>;
    result->xltype = xltypeInt;
    result->val.w = static_cast<Int>(static_cast<Unsigned>(host.app().main_window));
  }
  return xlretSuccess;
}

template <class Oper> int GetName(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (!args.empty()) return xlretInvCount;
  if (host.app().current_addin_path.empty()) return xlretFailed; // no add-in is calling
  SetText(host, result, host.app().current_addin_path);
  return xlretSuccess;
}

} // namespace

void AddInterfaceFunctions(HandlerTable& table) {
  table[xlFree] = KV_HANDLER(Free);
  table[xlCoerce] = KV_HANDLER(Coerce);
  table[xlSet] = KV_HANDLER(SetCells);
  table[xlSheetId] = KV_HANDLER(ActiveSheetId);
  table[xlSheetNm] = KV_HANDLER(SheetName);
  table[xlGetHwnd] = KV_HANDLER(GetHwnd);
  table[xlGetName] = KV_HANDLER(GetName);
}

} // namespace kvhost
