// The add-in's process-wide state and its entry points.
#pragma once

#include "Tabelas.h"
#include "kvplatform/module.h"
#include "kvplatform/windows.h"
#include "xll/xlcall.h"

// Owner of every message box and dialog; 0 until Excel's main window is found.
extern kvp::WindowHandle ExcelMainWindow;
// This library, as the loader handed it to process attach.
extern kvp::ModuleHandle ThisModule;

// Finds the top-level window of class "XLMAIN" whose handle's low 16 bits are the ones Excel
// reports; on success stores it in `window` and returns true, otherwise leaves it unchanged.
bool FindExcelMainWindow(kvp::WindowHandle& window);

// What the library does when the loader attaches it: remember the module, choose the
// language, stamp the tables of that language.
void ProcessAttach(kvp::ModuleHandle module);

// Whether Excel answers through Excel12v (version 12 or later), as decided when the add-in
// opened: the worksheet functions are registered for Excel 12 records and the tools read their
// selections through them.
bool UsesExcel12();

// Counted-text equality: same length byte and the same characters once lower-cased.
bool CountedTextEquals(const char* a, const char* b);

KV_ENTRY(int) xlAutoOpen();
KV_ENTRY(int) xlAutoClose();
KV_ENTRY(LPXLOPER) xlAutoRegister(LPXLOPER name);
KV_ENTRY(LPXLOPER12) xlAutoRegister12(LPXLOPER12 name);
KV_ENTRY(int) xlAutoAdd();
KV_ENTRY(int) xlAutoRemove();
KV_ENTRY(LPXLOPER) xlAddInManagerInfo(LPXLOPER action);
