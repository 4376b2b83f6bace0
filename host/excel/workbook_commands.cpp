// Workbook and window commands: NEW, CLOSE, ACTIVATE and ECHO.
#include <cmath>

#include "excel_host.h"
#include "values.h"

namespace kvhost {
namespace {

bool Given(Arguments args, std::size_t index) {
  return index < args.size() && !IsOmitted(*args[index]);
}

// NEW([type_num], [xy_series], [add_logical]): a new workbook, made active, whose one sheet is
// of the kind asked for: 1 (or omitted) or 5 a worksheet, 2 a chart, 3 and 4 a macro sheet, 6 a
// Visual Basic module. kvhost keeps the sheet's name only. Answers TRUE.
int New(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 3) return xlretInvCount;
  double type = 1;
  if (Given(args, 0)) {
    const auto asked = BaseType(*args[0]) == xltypeStr ? std::nullopt : NumberOf(*args[0]);
    if (!asked) return xlretFailed;
    type = std::trunc(*asked);
  }
  static const char* const kFirstSheet[] = {"Sheet1", "Chart1", "Macro1",
                                            "Macro1", "Sheet1", "Module1"};
  if (type < 1 || type > 6) return xlretFailed;
  host.app().NewWorkbook(kFirstSheet[static_cast<int>(type) - 1]);
  SetBoolean(result, true);
  return xlretSuccess;
}

// CLOSE([save_logical], [route_logical]): closes the active workbook; kvhost saves nothing on
// closing whatever save_logical says. It keeps one workbook open: closing the last one fails.
int Close(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 2) return xlretInvCount;
  if (!host.app().CloseActiveWorkbook()) return xlretFailed;
  SetBoolean(result, true);
  return xlretSuccess;
}

// ACTIVATE([window_text], [pane_num]): with no window, the active window stays active; a
// window is named after its workbook ("Book2", or "Book2:1" for its first window). A window
// that is not open fails the command.
int Activate(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 2) return xlretInvCount;
  if (Given(args, 0)) {
    const auto window = Utf8Text(*args[0]);
    if (!window) return xlretFailed;
    const std::string book = window->substr(0, window->rfind(':'));
    if (!host.app().ActivateWorkbook(book)) return xlretFailed;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

// ECHO([logical]): screen updating on or off; omitted, it switches. Answers TRUE.
int Echo(ExcelHost& host, LPXLOPER result, Arguments args) {
  if (args.size() > 1) return xlretInvCount;
  bool& updating = host.app().screen_updating;
  if (Given(args, 0)) {
    const auto flag = BaseType(*args[0]) == xltypeStr ? std::nullopt : NumberOf(*args[0]);
    if (!flag) return xlretFailed;
    updating = *flag != 0;
  } else {
    updating = !updating;
  }
  SetBoolean(result, true);
  return xlretSuccess;
}

} // namespace

void AddWorkbookCommands(HandlerTable& table) {
  table[xlcNew] = New;
  table[xlcClose] = Close;
  table[xlcActivate] = Activate;
  table[xlcEcho] = Echo;
}

} // namespace kvhost
