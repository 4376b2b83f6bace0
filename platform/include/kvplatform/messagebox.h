// Modal message boxes (MessageBoxA on Windows).
#pragma once

#include "api.h"
#include "windows.h"

namespace kvp {

// MessageBoxA's type bits and answers that the add-in uses.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;

// Shows `text` under `caption` (both ANSI), owned by `owner` (0: no owner); returns the button
// pressed. On Linux the box goes to the handler the host installed; with none it is written to
// standard error as "[caption] text" (in UTF-8) and answered with OK. A null caption reads
// "Error", as MessageBoxA titles such a box.
KVP_API int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                           unsigned type);

#if !defined(_WIN32)
using MessageBoxHandler = int (*)(void* context, WindowHandle owner, const char* text,
                                  const char* caption, unsigned type);
KVP_API void SetMessageBoxHandler(MessageBoxHandler handler, void* context);
#endif

} // namespace kvp
