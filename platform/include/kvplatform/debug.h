// The debugger output channel (OutputDebugStringA on Windows).
#pragma once

#include "api.h"

namespace kvp {

// Sends one text in the ANSI code page to the debugger channel. On Linux the text goes to
// standard error (as UTF-8) when KAVENLOR_TRACE=1, and to the capture hook when one is set.
KVP_API void OutputDebugText(const char* ansi_text);

// Receives every text sent to the channel, unchanged; null removes the hook.
using DebugCapture = void (*)(void* context, const char* ansi_text);
KVP_API void SetDebugCapture(DebugCapture capture, void* context);

} // namespace kvp
