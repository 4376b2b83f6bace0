// Loaded modules (GetModuleFileNameA on Windows).
#pragma once

#include <string>

#include "api.h"

namespace kvp {

// On Windows an HMODULE; on Linux the load address of the shared object.
using ModuleHandle = void*;

// The module that contains `address` (a function or object of that module).
KVP_API ModuleHandle ModuleOf(const void* address);

// Full file name of `module`; of the main program when `module` is null. Empty on failure.
KVP_API std::string ModuleFileName(ModuleHandle module);

// The function the host process offers its add-ins under `name`: exported by the main program on
// Windows (GetProcAddress of GetModuleHandle(nullptr)), found in the process's global symbols on
// Linux. Null when there is none.
KVP_API void* ProcessEntryPoint(const char* name);

} // namespace kvp
