// The Excel 12 callbacks as an add-in has them: Excel's process offers one entry point for them
// (kExcel12EntryPoint), which the add-in looks up when it opens; XLCALL32 has none. Before the
// lookup, and in an Excel older than version 12, every call answers xlretFailed.
#pragma once

#include "xlcall.h"

// Looks the entry point up (again); whether Excel offers it.
bool ConnectExcel12();

// Whether the add-in speaks to Excel through Excel 12 records, as decided when it opened; the
// calls written over both interfaces follow it.
bool Excel12InUse();
void UseExcel12(bool use);

int XL_PASCAL Excel12v(int xlfn, LPXLOPER12 operRes, int count, LPXLOPER12 opers[]);
int XL_CDECL Excel12(int xlfn, LPXLOPER12 operRes, int count, ...);
