// The functions only the C interface offers (the xlSpecial numbers): memory, coercion, sheet
// ids, the main window and the add-in's own name.
#include <cmath>
#include <limits>

#include "excel_host.h"
#include "kvplatform/ansi.h"
#include "values.h"

namespace kvhost {
namespace {

int Free(ExcelHost& host, LPXLOPER, Arguments args) {
  for (LPXLOPER value : args)
    host.memory().Release(*value);
  return xlretSuccess;
}

// Converts a scalar to exactly `type`; false when Excel could not.
bool ConvertScalar(ExcelHost& host, const XLOPER& source, unsigned type, XLOPER& out) {
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
    const double whole = std::trunc(*number);
    if (whole < std::numeric_limits<std::int16_t>::min() ||
        whole > std::numeric_limits<std::int16_t>::max())
      return false;
    out.xltype = xltypeInt;
    out.val.w = static_cast<std::int16_t>(whole);
    return true;
  }
  case xltypeStr: {
    std::string text;
    if (from == xltypeStr)
      text = *AnsiText(source);
    else if (from == xltypeBool)
      text = source.val.xbool ? "TRUE" : "FALSE";
    else if (!empty)
      text = GeneralNumberText(*NumberOf(source));
    out.xltype = xltypeStr;
    out.val.str = host.memory().NewCountedText(text);
    return true;
  }
  case xltypeBool: {
    if (from == xltypeStr) {
      const std::string text = *AnsiText(source);
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

// xlCoerce(source, [type mask]). References need the cell model and arrays are not copied:
// both are refused as an invalid record rather than answered wrongly.
int Coerce(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  unsigned mask = 0; // 0: Excel's default type
  if (args.size() == 2 && !IsOmitted(*args[1]) && BaseType(*args[1]) != xltypeNil) {
    const auto requested = NumberOf(*args[1]);
    if (!requested) return xlretInvXloper;
    mask = static_cast<unsigned>(*requested);
  }
  XLOPER source = *args[0];
  switch (BaseType(source)) {
  case xltypeRef:
  case xltypeSRef:
  case xltypeFlow:
  case xltypeBigData: return xlretInvXloper;
  case xltypeMulti: // to a scalar type: the top-left element
    if (mask == 0 || (mask & xltypeMulti) || source.val.array.lparray == nullptr ||
        source.val.array.rows == 0 || source.val.array.columns == 0)
      return xlretInvXloper;
    source = source.val.array.lparray[0];
    break;
  default: break;
  }
  if (mask == 0 || (mask & BaseType(source))) mask = BaseType(source); // already right
  XLOPER out{};
  for (unsigned type :
       {xltypeNum, xltypeInt, xltypeStr, xltypeBool, xltypeErr, xltypeNil, xltypeMissing}) {
    if (!(mask & type)) continue;
    if (type == BaseType(source) && type != xltypeStr) {
      out = source;
      out.xltype = static_cast<std::uint16_t>(type);
    } else if (!ConvertScalar(host, source, type, out)) {
      continue;
    }
    if (result != nullptr)
      *result = out;
    else
      host.memory().Release(out);
    return xlretSuccess;
  }
  return xlretInvXloper;
}

int ActiveSheetId(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  if (result != nullptr) {
    result->xltype = xltypeRef;
    result->val.mref.lpmref = nullptr;
    result->val.mref.idSheet = host.app().ActiveSheet().id;
  }
  return xlretSuccess;
}

int GetHwnd(ExcelHost&, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  if (result != nullptr) {
    result->xltype = xltypeInt;
    result->val.w = static_cast<std::int16_t>(kMainWindow & 0xFFFF);
  }
  return xlretSuccess;
}

int GetName(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (!args.empty()) return xlretInvCount;
  if (host.app().current_addin_path.empty()) return xlretFailed; // no add-in is calling
  if (result != nullptr) {
    result->xltype = xltypeStr;
    result->val.str = host.memory().NewCountedText(kvp::Utf8ToAnsi(host.app().current_addin_path));
  }
  return xlretSuccess;
}

} // namespace

void AddInterfaceFunctions(HandlerTable& table) {
  table[xlFree] = Free;
  table[xlCoerce] = Coerce;
  table[xlSheetId] = ActiveSheetId;
  table[xlGetHwnd] = GetHwnd;
  table[xlGetName] = GetName;
}

} // namespace kvhost
