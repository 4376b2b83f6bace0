// Cells and the selection on a worksheet: SELECTION and GET.CELL.
#include "excel_host.h"
#include "values.h"

namespace kvhost {
namespace {

XLREF Rectangle(const CellRange& range) {
  return XLREF{
      static_cast<std::uint16_t>(range.first_row), static_cast<std::uint16_t>(range.last_row),
      static_cast<std::uint8_t>(range.first_column), static_cast<std::uint8_t>(range.last_column)};
}

// SELECTION(): the selected cells. One area on the active sheet comes back as a single-sheet
// reference (xltypeSRef); several areas, or cells of a sheet that is not the active one, as a
// reference that names its sheet (xltypeRef), whose rectangle list is given back with xlFree.
// Excel's documentation leaves open which of the two it uses for one area; the add-in tells a
// selection it can read from one it cannot by this split.
int SelectedCells(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  if (result == nullptr) return xlretSuccess;
  const Selection selection = host.app().CurrentSelection();
  if (selection.areas.size() == 1 && selection.sheet == host.app().ActiveSheet().id) {
    result->xltype = xltypeSRef;
    result->val.sref.count = 1;
    result->val.sref.ref = Rectangle(selection.areas[0]);
    return xlretSuccess;
  }
  XLMREF* list = host.memory().NewRectangles(selection.areas.size());
  for (std::size_t i = 0; i < selection.areas.size(); ++i)
    list->reftbl[i] = Rectangle(selection.areas[i]);
  result->xltype = xltypeRef;
  result->val.mref.lpmref = list;
  result->val.mref.idSheet = selection.sheet;
  return xlretSuccess;
}

// GET.CELL(type_num, [reference]) with type 5, the contents of a cell: a number, a text (given
// back with xlFree), a Boolean, an error value, or nil for an empty cell. The cell is the
// upper-left one of the reference's first area, or the active cell (the upper-left cell of
// the selection) when the reference is omitted. kvhost answers no other type_num: those are
// refused (xlretFailed) rather than answered wrongly.
int GetCell(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  const auto type = NumberOf(*args[0]);
  if (!type || *type != 5) return xlretFailed;
  const Sheet* sheet = nullptr;
  std::uint32_t row = 0, column = 0;
  if (args.size() < 2 || IsOmitted(*args[1])) {
    const Selection selection = host.app().CurrentSelection();
    sheet = host.app().FindSheet(selection.sheet);
    row = selection.areas[0].first_row;
    column = selection.areas[0].first_column;
  } else {
    const auto cells = ResolveReference(host, *args[1]);
    if (!cells) return xlretInvXloper;
    sheet = cells->sheet;
    row = cells->areas[0].rwFirst;
    column = cells->areas[0].colFirst;
  }
  if (result == nullptr) return xlretSuccess;
  const Value value = sheet->cells.Get(row, column);
  switch (value.type) {
  case ValueType::Number: SetNumber(result, value.number); break;
  case ValueType::Text: SetText(host, result, value.text); break;
  case ValueType::Boolean: SetBoolean(result, value.boolean); break;
  case ValueType::Error: SetError(result, value.error); break;
  case ValueType::Empty: result->xltype = xltypeNil; break;
  }
  return xlretSuccess;
}

} // namespace

void AddCellsAndFormats(HandlerTable& table) {
  table[xlfSelection] = SelectedCells;
  table[xlfGetCell] = GetCell;
}

} // namespace kvhost
