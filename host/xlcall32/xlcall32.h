// libxlcall32: the Linux stand-in for Excel's XLCALL32.DLL.
//
// It exports Excel4 and Excel4v, as the Windows DLL does, and forwards every call to the
// dispatcher that the host (kvhost, or a test) installed. With no dispatcher every call
// answers xlretInvXlfn: there is no Excel to run it.
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
}
