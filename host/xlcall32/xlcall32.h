// libxlcall32: the Linux stand-in for Excel's XLCALL32.DLL.
//
// It exports Excel4 and Excel4v, as the Windows DLL does, and forwards every call to the
// dispatcher that the host (kvhost, or a test) installed. With no dispatcher every call
// answers xlretInvXlfn: there is no Excel to run it. It also exports the Excel 12 entry point
// that Excel's own process offers its add-ins (MdCallBack12), forwarded to a second dispatcher,
// of Excel 12 records.
#pragma once

#include "../../Codigo/xll/xlcall.h"

extern "C" {

// Runs function `xlfn` with `count` arguments; fills `result` when it is not null.
// Returns an Excel return code.
using XlDispatcher = int (*)(void* context, int xlfn, LPXLOPER result, int count, LPXLOPER* args);

// Installs `dispatcher` (null removes it) and returns the one installed before.
XLCALL_API XlDispatcher XlInstallDispatcher(XlDispatcher dispatcher, void* context);

// Excel takes at most this many arguments in one call.
constexpr int kXlMaxArguments = 30;

// The same for Excel 12 records; a host that offers no Excel 12 installs none.
using XlDispatcher12 = int (*)(void* context, int xlfn, LPXLOPER12 result, int count,
                               LPXLOPER12* args);
XLCALL_API XlDispatcher12 XlInstallDispatcher12(XlDispatcher12 dispatcher, void* context);

// Excel 12's entry point, its arguments in Excel's order (the result last).
XLCALL_API int XL_PASCAL MdCallBack12(int xlfn, int count, LPXLOPER12* opers, LPXLOPER12 operRes);

// Excel 12 takes at most this many arguments in one call.
constexpr int kXl12MaxArguments = 255;
}
