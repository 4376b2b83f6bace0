// Running a command macro as Excel does when a menu item or a toolbar button that names it is
// clicked.
#pragma once

#include <string>
#include <string_view>

#include "excel_host.h"

namespace kvhost {

// Calls the procedure registered as the command `name` (its command name, in any case), with
// no arguments; its result means nothing to Excel. False, with the reason in `problem`, when no
// command of that name is registered or its type text takes arguments (a menu passes none).
bool RunCommandMacro(ExcelHost& host, std::string_view name, std::string& problem);

} // namespace kvhost
