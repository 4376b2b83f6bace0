#include "excel_functions.h"

#include <algorithm>
#include <array>

#include "xll/xlcall.h"

namespace kvtest {
namespace {

// Grouped as Excel groups them: special functions, add-in management, menus and toolbars,
// cells and formats, workbooks, charts, worksheet functions, and the automation bridge.
constexpr std::array kFunctions{
    ExcelFunction{xlFree, "xlFree"},
    ExcelFunction{xlCoerce, "xlCoerce"},
    ExcelFunction{xlSet, "xlSet"},
    ExcelFunction{xlSheetId, "xlSheetId"},
    ExcelFunction{xlSheetNm, "xlSheetNm"},
    ExcelFunction{xlGetHwnd, "xlGetHwnd"},
    ExcelFunction{xlGetName, "xlGetName"},

    ExcelFunction{xlfRegister, "REGISTER"},
    ExcelFunction{xlfRegisterId, "REGISTER.ID"},
    ExcelFunction{xlfUnregister, "UNREGISTER"},
    ExcelFunction{xlfSetName, "SET.NAME"},
    ExcelFunction{xlfGetWorkspace, "GET.WORKSPACE"},
    ExcelFunction{xlcAlert, "ALERT"},
    ExcelFunction{xlcMessage, "MESSAGE"},

    ExcelFunction{xlfGetBar, "GET.BAR"},
    ExcelFunction{xlfAddMenuIntl, "ADD.MENU"},
    ExcelFunction{xlfCheckCommand, "CHECK.COMMAND"},
    ExcelFunction{xlfDeleteMenu, "DELETE.MENU"},
    ExcelFunction{xlfGetToolbar, "GET.TOOLBAR"},
    ExcelFunction{xlfAddToolbar, "ADD.TOOLBAR"},
    ExcelFunction{xlcShowToolbar, "SHOW.TOOLBAR"},
    ExcelFunction{xlcPasteTool, "PASTE.TOOL"},
    ExcelFunction{xlfDeleteToolbar, "DELETE.TOOLBAR"},

    ExcelFunction{xlfSelection, "SELECTION"},
    ExcelFunction{xlfGetCell, "GET.CELL"},
    ExcelFunction{xlcSelect, "SELECT"},
    ExcelFunction{xlcPatterns, "PATTERNS"},
    ExcelFunction{xlcFontPropertiesIntl, "FONT.PROPERTIES"},
    ExcelFunction{xlcActiveCellFontIntl, "ACTIVE.CELL.FONT"},
    ExcelFunction{xlcFormatNumberIntl, "FORMAT.NUMBER"},
    ExcelFunction{xlcBorder, "BORDER"},
    ExcelFunction{xlcAlignment, "ALIGNMENT"},
    ExcelFunction{xlcColumnWidth, "COLUMN.WIDTH"},

    ExcelFunction{xlcNew, "NEW"},
    ExcelFunction{xlcWorkbookName, "WORKBOOK.NAME"},
    ExcelFunction{xlcOptionsView, "OPTIONS.VIEW"},
    ExcelFunction{xlcEcho, "ECHO"},
    ExcelFunction{xlcWorkbookInsert, "WORKBOOK.INSERT"},
    ExcelFunction{xlcWorkbookMove, "WORKBOOK.MOVE"},
    ExcelFunction{xlcWorkbookActivate, "WORKBOOK.ACTIVATE"},
    ExcelFunction{xlcWorkbookHide, "WORKBOOK.HIDE"},
    ExcelFunction{xlfGetDocument, "GET.DOCUMENT"},

    ExcelFunction{xlcSelectChart, "SELECT.CHART"},
    ExcelFunction{xlcSelectPlotArea, "SELECT.PLOT.AREA"},
    ExcelFunction{xlcClear, "CLEAR"},
    ExcelFunction{xlcOptionsChart, "OPTIONS.CHART"},
    ExcelFunction{xlcEditSeriesIntl, "EDIT.SERIES"},
    ExcelFunction{xlcAttachText, "ATTACH.TEXT"},
    ExcelFunction{xlcFormula, "FORMULA"},
    ExcelFunction{xlcLegend, "LEGEND"},
    ExcelFunction{xlcFormatCharttype, "FORMAT.CHARTTYPE"},
    ExcelFunction{xlcDataLabel, "DATA.LABEL"},
    ExcelFunction{xlcSeriesAxes, "SERIES.AXES"},
    ExcelFunction{xlcFormatChart, "FORMAT.CHART"},
    ExcelFunction{xlcScale, "SCALE"},

    ExcelFunction{xlfChidist, "CHIDIST"},
    ExcelFunction{xlfFdist, "FDIST"},
    ExcelFunction{xlfTdist, "TDIST"},

    // The automation bridge's probe of Excel 97 sends commands; the bare numbers of the same
    // functions are named too, so that a call sent without its command bit reads as the
    // different function Excel would take it for.
    ExcelFunction{xlfIstext, "ISTEXT"},
    ExcelFunction{xlfOr, "OR"},
    ExcelFunction{103 | xlCommand, "ACTIVATE"},
    ExcelFunction{103, "LINKS"},
    ExcelFunction{141, "TIMEVALUE"},
    ExcelFunction{119, "REPLACE"},
    ExcelFunction{xlcClose, "CLOSE"},
    ExcelFunction{16, "COS"},
};

} // namespace

std::span<const ExcelFunction> ExcelFunctions() {
  return kFunctions;
}

std::string_view ExcelFunctionName(int number) {
  const auto found = std::find_if(kFunctions.begin(), kFunctions.end(),
                                  [number](const ExcelFunction& f) { return f.number == number; });
  return found == kFunctions.end() ? std::string_view() : found->name;
}

} // namespace kvtest
