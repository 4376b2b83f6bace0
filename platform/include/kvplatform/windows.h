// Top-level windows and their class names (EnumWindows / GetClassNameA on Windows).
#pragma once

#include <cstdint>

#include "api.h"

namespace kvp {

using WindowHandle = std::uintptr_t;

// Calls `visit` for each top-level window, in z-order, until it returns false.
using WindowVisitor = bool (*)(void* context, WindowHandle window);
KVP_API void EnumerateTopLevelWindows(WindowVisitor visit, void* context);

// Copies the window's class name into `buffer` (at most size - 1 characters, zero-terminated)
// and returns the number of characters copied; 0 when the window is unknown.
KVP_API int WindowClassName(WindowHandle window, char* buffer, int size);

#if !defined(_WIN32)
// Linux only: the host makes its windows known; the newest is first in z-order.
KVP_API void RegisterTopLevelWindow(WindowHandle window, const char* class_name);
KVP_API void UnregisterTopLevelWindow(WindowHandle window);
#endif

} // namespace kvp
