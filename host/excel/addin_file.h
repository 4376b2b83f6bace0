// What the dynamic loader would trip over in an add-in file before it is handed one: a file
// that is no regular file (a FIFO would stop the loader for good), or an ELF library cut
// short (the loader maps the missing part and the process dies of SIGBUS when it is touched).
#pragma once

#include <string>

namespace kvhost {

// True when `path` may be given to the loader; otherwise false with the reason in `error`.
// Files that are not ELF are left to the loader's own refusal.
bool CheckAddInFile(const std::string& path, std::string& error);

} // namespace kvhost
