// The five worksheet functions with the arguments Excel could pass them: value arrays of any
// shape holding any mix of cells (numbers with NaN and infinities, texts, Booleans, errors,
// integers, empty cells), single values in place of arrays, missing arguments, and the short
// and double arguments at their extremes. Every call must answer a value record.
#include <cstdlib>
#include <vector>

#include "Planilha/FuncoesPlanilha.h"
#include "fuzz_input.h"
#include "xll/ExcelCall.h"

namespace {

// One cell of a value array, or one argument that is not an array.
void FillCell(kvfuzz::FuzzInput& in, XLOPER& cell, std::vector<std::string>& texts) {
  switch (in.Byte() % 8) {
  case 0: cell.xltype = xltypeNil; break;
  case 1:
    texts.push_back(in.Text(20));
    texts.back().insert(texts.back().begin(), static_cast<char>(texts.back().size()));
    cell.xltype = xltypeStr;
    cell.val.str = texts.back().data();
    break;
  case 2:
    cell.xltype = xltypeBool;
    cell.val.xbool = in.Flag();
    break;
  case 3:
    cell.xltype = xltypeErr;
    cell.val.err = static_cast<std::uint16_t>(in.Byte() % 50);
    break;
  case 4:
    cell.xltype = xltypeInt;
    cell.val.w = static_cast<std::int16_t>(in.Word());
    break;
  default:
    cell.xltype = xltypeNum;
    cell.val.num = in.Number();
    break;
  }
}

struct Argument {
  XLOPER record{};
  std::vector<XLOPER> cells;
  std::vector<std::string> texts;

  explicit Argument(kvfuzz::FuzzInput& in) {
    texts.reserve(4096); // the cells point into these texts: no reallocation may move them
    const std::uint8_t shape = in.Byte();
    if (shape % 5 == 0) {
      FillCell(in, record, texts);
      if (shape % 2) record.xltype = xltypeMissing;
      return;
    }
    const int rows = 1 + in.Byte() % 64;
    const int columns = 1 + in.Byte() % 4;
    cells.resize(static_cast<std::size_t>(rows) * columns);
    for (XLOPER& cell : cells)
      FillCell(in, cell, texts);
    record.xltype = xltypeMulti;
    record.val.array.lparray = cells.data();
    record.val.array.rows = static_cast<std::uint16_t>(rows);
    record.val.array.columns = static_cast<std::uint16_t>(columns);
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kvfuzz::FuzzInput in(data, size);
  const std::uint8_t which = in.Byte() % 5;
  Argument range(in);
  const auto a = static_cast<std::int16_t>(in.Word()), b = static_cast<std::int16_t>(in.Word());
  const auto c = static_cast<std::int16_t>(in.Word()), d = static_cast<std::int16_t>(in.Word());
  const double x = in.Number();
  LPXLOPER answer = nullptr;
  switch (which) {
  case 0: answer = skew(&range.record, a, b, c, d); break;
  case 1: answer = kurt(&range.record, a, b); break;
  case 2: answer = interpol(a, &range.record, x); break;
  case 3: answer = cspline(a, &range.record); break;
  case 4: answer = ewv(&range.record, x, a, b, c); break;
  }
  // A number or an error value; KV.EWV may answer an array, which Excel gives back.
  if (answer == nullptr) std::abort();
  const auto type = static_cast<std::uint16_t>(answer->xltype & ~(xlbitXLFree | xlbitDLLFree));
  if (type != xltypeNum && type != xltypeErr && !(which == 4 && type == xltypeMulti)) std::abort();
  if (answer->xltype & xlbitDLLFree) xlAutoFree(answer);
  return 0;
}
