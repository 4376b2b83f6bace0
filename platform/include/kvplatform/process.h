// Starting programs (spawnlp / SearchPathA on Windows).
#pragma once

#include <string>

#include "api.h"

namespace kvp {

// Starts `program` with one argument without waiting for it, searching the program path;
// returns -1 when it cannot be started (spawnlp's P_NOWAIT contract). On Linux the Windows
// browser names the add-in tries ("explorer.exe", "netscape.exe" and their found paths) mean
// the desktop's URL opener: $BROWSER when set, else xdg-open; with neither, -1.
// Otherwise the answer is the started process's id. A null `argument` starts the program
// without one.
// On Linux: $BROWSER may hold a command name (looked up along $PATH) or a path; only its
// first word is the program, and the address is its one argument. A program is looked up as
// execvp does, and one that is found but cannot be executed answers -1 too. The program
// runs in a session of its own, with standard input and output on /dev/null (the host's
// standard output carries its results) and standard error shared; nothing is left to reap.
// On Windows an argument holding blanks is quoted, so that it arrives as one argument.
KVP_API int SpawnNoWait(const char* program, const char* argument);

// Looks `name` + `extension` up along the system path (SearchPathA); the full file name, or
// empty when not found. The extension is added only to a name that has none.
// On Linux the path is $PATH; a name with ".exe" is also looked up without it, and the browser
// names ("explorer", "netscape", with or without ".exe") answer the URL opener's full path
// (empty when there is none), which SpawnNoWait then starts as the opener.
KVP_API std::string SearchProgramPath(const char* name, const char* extension);

} // namespace kvp
