// The "&Kavenlor" menu on Excel's worksheet menu bar, its language submenu, and the "Kavenlor"
// toolbar: built at load from the tables of the language in use, removed at close.
#pragma once

#include "xll/xloper.h"

// GET.BAR and GET.TOOLBAR answer into `query`, which the caller gives back to Excel when it is
// done (xlAutoOpen releases it together with the add-in's file name).
// Adds the main menu unless it is there, then the language submenu into it.
void BuildMenus(xl::ExcelValue& query);
// Creates the toolbar with its pictures unless it is there.
void BuildToolbar(xl::ExcelValue& query);
// SHOW.TOOLBAR with the arguments used at creation; returns Excel's return code.
int ShowToolbar(bool visible);
// Deletes the menu and the toolbar that exist.
void RemoveMenuAndToolbar();

// Counted texts the menu commands name (writable: stamped on use).
char* MenuName();        // "&Kavenlor"
char* ToolbarName();     // "Kavenlor"
char* ShowToolbarItem(); // "&Exibir barra Kavenlor" / "&Show Kavenlor bar"
