// Excel's add-in interface: the value records of the Excel 4 interface (XLOPER) and of the
// Excel 12 one (XLOPER12), type codes, ownership bits, error and return codes, and the function
// numbers Kavenlor sends through Excel4v/Excel12v.
//
// Written from the published description of the interface. The records have no packing
// pragma: they use each compiler's natural alignment, and the static_asserts below pin the
// layouts Excel expects on Windows x86 (16-byte XLOPER) and x64 (24 bytes); Linux x86-64 gives
// the x64 layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "callconv.h"

// Sheet identifier: a DWORD in the Excel 5 header, pointer-sized (DWORD_PTR) from Excel 2007 on;
// identical on 32-bit Windows, and what 64-bit Excel passes.
using IDSHEET = std::uintptr_t;

// One rectangle of cells, rows and columns counted from 0.
struct XLREF {
  std::uint16_t rwFirst;
  std::uint16_t rwLast;
  std::uint8_t colFirst;
  std::uint8_t colLast;
};

// Several rectangles; `count` entries follow in place (declared with one).
struct XLMREF {
  std::uint16_t count;
  XLREF reftbl[1];
};

struct XLOPER {
  union {
    double num;          // xltypeNum
    char* str;           // xltypeStr: counted text, byte 0 is the length
    std::uint16_t xbool; // xltypeBool
    std::uint16_t err;   // xltypeErr
    std::int16_t w;      // xltypeInt
    struct {
      std::uint16_t count; // always 1
      XLREF ref;
    } sref; // xltypeSRef
    struct {
      XLMREF* lpmref;
      IDSHEET idSheet;
    } mref; // xltypeRef
    struct {
      XLOPER* lparray; // rows * columns elements, row by row
      std::uint16_t rows;
      std::uint16_t columns;
    } array; // xltypeMulti
    struct {
      union {
        std::int16_t level;
        std::int16_t tbctrl;
        IDSHEET idSheet;
      } valflow;
      std::uint16_t rw;
      std::uint8_t col;
      std::uint8_t xlflow;
    } flow; // xltypeFlow (macro sheets only)
    struct {
      union {
        std::uint8_t* lpbData;
        void* hdata;
      } h;
      std::int32_t cbData; // a Windows `long`
    } bigdata;             // xltypeBigData
  } val;
  std::uint16_t xltype;
};

using LPXLOPER = XLOPER*;

// Layouts: Windows x86 and x64 as Excel reads them; Linux x86-64 matches x64.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(XLOPER) == 16 && alignof(XLOPER) == 8);
static_assert(offsetof(XLOPER, xltype) == 8);
static_assert(offsetof(XLOPER, val.mref.idSheet) == 4);
static_assert(offsetof(XLOPER, val.array.rows) == 4 && offsetof(XLOPER, val.array.columns) == 6);
static_assert(offsetof(XLOPER, val.flow.rw) == 4 && offsetof(XLOPER, val.flow.col) == 6);
static_assert(offsetof(XLOPER, val.bigdata.cbData) == 4);
#elif defined(_WIN64) || (defined(__x86_64__) && defined(__linux__))
static_assert(sizeof(XLOPER) == 24 && alignof(XLOPER) == 8);
static_assert(offsetof(XLOPER, xltype) == 16);
static_assert(offsetof(XLOPER, val.mref.idSheet) == 8 && sizeof(IDSHEET) == 8);
static_assert(offsetof(XLOPER, val.array.rows) == 8 && offsetof(XLOPER, val.array.columns) == 10);
static_assert(offsetof(XLOPER, val.flow.rw) == 8 && offsetof(XLOPER, val.flow.col) == 10);
static_assert(offsetof(XLOPER, val.bigdata.cbData) == 8);
#else
#error "XLOPER layout not checked for this target"
#endif
static_assert(sizeof(XLREF) == 6 && alignof(XLREF) == 2);
static_assert(sizeof(XLMREF) == 8 && offsetof(XLMREF, reftbl) == 2);
static_assert(offsetof(XLOPER, val.num) == 0 && offsetof(XLOPER, val.str) == 0 &&
              offsetof(XLOPER, val.w) == 0 && offsetof(XLOPER, val.err) == 0 &&
              offsetof(XLOPER, val.xbool) == 0);
static_assert(offsetof(XLOPER, val.sref.count) == 0 && offsetof(XLOPER, val.sref.ref) == 2);
static_assert(offsetof(XLOPER, val.array.lparray) == 0 && offsetof(XLOPER, val.mref.lpmref) == 0);

// The Excel 12 interface (Excel 2007 and later): 32-bit rows and columns, UTF-16 texts counted in
// their first code unit (up to 32,767), 32-bit Booleans, errors and integers, a 32-bit type word.
// Rows and columns counted from 0, as in the Excel 4 records.
using RW = std::int32_t;
using COL = std::int32_t;
using XCHAR = char16_t; // a Windows WCHAR: the same 16 bits on every target

struct XLREF12 {
  RW rwFirst;
  RW rwLast;
  COL colFirst;
  COL colLast;
};

struct XLMREF12 {
  std::uint16_t count;
  XLREF12 reftbl[1];
};

struct XLOPER12 {
  union {
    double num;         // xltypeNum
    XCHAR* str;         // xltypeStr: counted text, str[0] is the length in code units
    std::int32_t xbool; // xltypeBool
    std::int32_t err;   // xltypeErr
    std::int32_t w;     // xltypeInt
    struct {
      std::uint16_t count; // always 1
      XLREF12 ref;
    } sref; // xltypeSRef
    struct {
      XLMREF12* lpmref;
      IDSHEET idSheet;
    } mref; // xltypeRef
    struct {
      XLOPER12* lparray; // rows * columns elements, row by row
      RW rows;
      COL columns;
    } array; // xltypeMulti
    struct {
      union {
        std::int32_t level;
        std::int32_t tbctrl;
        IDSHEET idSheet;
      } valflow;
      RW rw;
      COL col;
      std::uint8_t xlflow;
    } flow; // xltypeFlow (macro sheets only)
    struct {
      union {
        std::uint8_t* lpbData;
        void* hdata;
      } h;
      std::int32_t cbData; // a Windows `long`
    } bigdata;             // xltypeBigData
  } val;
  std::uint32_t xltype;
};

using LPXLOPER12 = XLOPER12*;

// The Excel 12 records are 32 bytes on both Windows targets, the type word after a 24-byte union.
static_assert(sizeof(XLOPER12) == 32 && alignof(XLOPER12) == 8);
static_assert(offsetof(XLOPER12, xltype) == 24);
static_assert(sizeof(XLREF12) == 16 && alignof(XLREF12) == 4);
static_assert(sizeof(XLMREF12) == 20 && offsetof(XLMREF12, reftbl) == 4);
static_assert(offsetof(XLOPER12, val.num) == 0 && offsetof(XLOPER12, val.str) == 0 &&
              offsetof(XLOPER12, val.w) == 0 && offsetof(XLOPER12, val.err) == 0 &&
              offsetof(XLOPER12, val.xbool) == 0);
static_assert(offsetof(XLOPER12, val.sref.count) == 0 && offsetof(XLOPER12, val.sref.ref) == 4);
static_assert(offsetof(XLOPER12, val.array.lparray) == 0 &&
              offsetof(XLOPER12, val.mref.lpmref) == 0);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(XLOPER12, val.mref.idSheet) == 4);
static_assert(offsetof(XLOPER12, val.array.rows) == 4 &&
              offsetof(XLOPER12, val.array.columns) == 8);
static_assert(offsetof(XLOPER12, val.flow.rw) == 4 && offsetof(XLOPER12, val.flow.col) == 8 &&
              offsetof(XLOPER12, val.flow.xlflow) == 12);
static_assert(offsetof(XLOPER12, val.bigdata.cbData) == 4);
#else
static_assert(offsetof(XLOPER12, val.mref.idSheet) == 8);
static_assert(offsetof(XLOPER12, val.array.rows) == 8 &&
              offsetof(XLOPER12, val.array.columns) == 12);
static_assert(offsetof(XLOPER12, val.flow.rw) == 8 && offsetof(XLOPER12, val.flow.col) == 12 &&
              offsetof(XLOPER12, val.flow.xlflow) == 16);
static_assert(offsetof(XLOPER12, val.bigdata.cbData) == 8);
#endif

// Type codes (xltype).
constexpr std::uint16_t xltypeNum = 0x0001;
constexpr std::uint16_t xltypeStr = 0x0002;
constexpr std::uint16_t xltypeBool = 0x0004;
constexpr std::uint16_t xltypeRef = 0x0008;
constexpr std::uint16_t xltypeErr = 0x0010;
constexpr std::uint16_t xltypeFlow = 0x0020;
constexpr std::uint16_t xltypeMulti = 0x0040;
constexpr std::uint16_t xltypeMissing = 0x0080;
constexpr std::uint16_t xltypeNil = 0x0100;
constexpr std::uint16_t xltypeSRef = 0x0400;
constexpr std::uint16_t xltypeInt = 0x0800;
constexpr std::uint16_t xltypeBigData = xltypeStr | xltypeInt;

// Ownership markers added to xltype.
constexpr std::uint16_t xlbitXLFree = 0x1000;  // Excel owns the memory: release with xlFree
constexpr std::uint16_t xlbitDLLFree = 0x4000; // the add-in owns it: Excel calls xlAutoFree

// Error codes (val.err).
constexpr std::uint16_t xlerrNull = 0;
constexpr std::uint16_t xlerrDiv0 = 7;
constexpr std::uint16_t xlerrValue = 15;
constexpr std::uint16_t xlerrRef = 23;
constexpr std::uint16_t xlerrName = 29;
constexpr std::uint16_t xlerrNum = 36;
constexpr std::uint16_t xlerrNA = 42;

// Return codes of Excel4/Excel4v; several bits may be set at once.
constexpr int xlretSuccess = 0;
constexpr int xlretAbort = 1;
constexpr int xlretInvXlfn = 2;
constexpr int xlretInvCount = 4;
constexpr int xlretInvXloper = 8;
constexpr int xlretStackOvfl = 16;
constexpr int xlretFailed = 32;
constexpr int xlretUncalced = 64;

// Flag bits added to a function number; the low 12 bits are the function's own number.
constexpr int xlCommand = 0x8000;
constexpr int xlSpecial = 0x4000;
constexpr int xlIntl = 0x2000;
constexpr int xlPrompt = 0x1000;
constexpr int xlFunctionMask = 0x0FFF;

// Special functions.
constexpr int xlFree = 0 | xlSpecial;
constexpr int xlCoerce = 2 | xlSpecial;
constexpr int xlSet = 3 | xlSpecial;
constexpr int xlSheetId = 4 | xlSpecial;
constexpr int xlSheetNm = 5 | xlSpecial;
constexpr int xlGetHwnd = 8 | xlSpecial;
constexpr int xlGetName = 9 | xlSpecial;

// Macro functions.
constexpr int xlfOr = 37;
constexpr int xlfSetName = 88;
constexpr int xlfSelection = 95;
constexpr int xlfIstext = 127;
constexpr int xlfRegister = 149;
constexpr int xlfAddMenu = 152;
constexpr int xlfCheckCommand = 155;
constexpr int xlfDeleteMenu = 158;
constexpr int xlfGetBar = 182;
constexpr int xlfGetCell = 185;
constexpr int xlfGetWorkspace = 186;
constexpr int xlfGetDocument = 188;
constexpr int xlfUnregister = 201;
constexpr int xlfAddToolbar = 253;
constexpr int xlfDeleteToolbar = 254;
constexpr int xlfGetToolbar = 258;
constexpr int xlfRegisterId = 267;
constexpr int xlfChidist = 274;
constexpr int xlfFdist = 281;
constexpr int xlfTdist = 301;

// Command equivalents.
constexpr int xlcClose = 16 | xlCommand;
constexpr int xlcAlignment = 43 | xlCommand;
constexpr int xlcBorder = 45 | xlCommand;
constexpr int xlcColumnWidth = 47 | xlCommand;
constexpr int xlcClear = 52 | xlCommand;
constexpr int xlcLegend = 79 | xlCommand;
constexpr int xlcAttachText = 80 | xlCommand;
constexpr int xlcSelectChart = 82 | xlCommand;
constexpr int xlcSelectPlotArea = 83 | xlCommand;
constexpr int xlcPatterns = 84 | xlCommand;
constexpr int xlcScale = 87 | xlCommand;
constexpr int xlcFormula = 96 | xlCommand;
constexpr int xlcSelect = 109 | xlCommand;
constexpr int xlcAlert = 118 | xlCommand;
constexpr int xlcMessage = 122 | xlCommand;
constexpr int xlcNew = 119 | xlCommand;
constexpr int xlcEcho = 141 | xlCommand;
constexpr int xlcShowToolbar = 220 | xlCommand;
constexpr int xlcWorkbookMove = 282 | xlCommand;
constexpr int xlcWorkbookActivate = 292 | xlCommand;
constexpr int xlcPasteTool = 298 | xlCommand;
constexpr int xlcOptionsView = 320 | xlCommand;
constexpr int xlcOptionsChart = 325 | xlCommand;
constexpr int xlcWorkbookInsert = 354 | xlCommand;
constexpr int xlcDataLabel = 379 | xlCommand;
constexpr int xlcWorkbookHide = 383 | xlCommand;
constexpr int xlcWorkbookName = 386 | xlCommand;
constexpr int xlcFormatCharttype = 423 | xlCommand;
constexpr int xlcSeriesAxes = 460 | xlCommand;
constexpr int xlcFormatChart = 465 | xlCommand;

// International forms (US syntax whatever the Excel language).
constexpr int xlfAddMenuIntl = xlfAddMenu | xlIntl;
constexpr int xlcFormatNumberIntl = 42 | xlCommand | xlIntl;
constexpr int xlcFontPropertiesIntl = 381 | xlCommand | xlIntl;
constexpr int xlcActiveCellFontIntl = 476 | xlCommand | xlIntl;
constexpr int xlcEditSeriesIntl = 228 | xlCommand | xlIntl;

static_assert(xlcAlert == 32886 && xlCoerce == 16386 && xlGetName == 16393 &&
              xlfAddMenuIntl == 8344);
static_assert(xlcFontPropertiesIntl == 41341 && xlcEditSeriesIntl == 41188);

// The callbacks into Excel (XLCALL32.DLL on Windows, libxlcall32 on Linux).
#if defined(_WIN32)
#define XLCALL_API
#else
#define XLCALL_API __attribute__((visibility("default")))
#endif
extern "C" {
XLCALL_API int XL_CDECL Excel4(int xlfn, LPXLOPER operRes, int count, ...);
XLCALL_API int XL_PASCAL Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]);
}

// Excel 12 and later answer Excel12v through the entry point its process exports under this name
// (the arguments in this order, the result last); Excel 2003 and before have none.
constexpr const char* kExcel12EntryPoint = "MdCallBack12";
using Excel12EntryPoint = int(XL_PASCAL*)(int xlfn, int count, LPXLOPER12* opers,
                                          LPXLOPER12 operRes);

// Grids: what a reference can reach through each interface.
constexpr std::int32_t kExcel4Rows = 65536;
constexpr std::int32_t kExcel4Columns = 256;
constexpr std::int32_t kExcel12Rows = 1048576;
constexpr std::int32_t kExcel12Columns = 16384;
// The longest text a record carries: 255 bytes, or 32,767 UTF-16 code units.
constexpr std::int32_t kExcel4TextLength = 255;
constexpr std::int32_t kExcel12TextLength = 32767;
