#include "kvplatform/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kvplatform/ansi.h"

namespace kvp {
namespace {
DebugCapture g_capture = nullptr;
void* g_capture_context = nullptr;

bool TraceToStderr() {
  const char* flag = std::getenv("KAVENLOR_TRACE");
  return flag != nullptr && std::strcmp(flag, "1") == 0;
}
} // namespace

void OutputDebugText(const char* ansi_text) {
  if (ansi_text == nullptr) return;
  if (g_capture != nullptr) g_capture(g_capture_context, ansi_text);
  if (TraceToStderr()) {
    const std::string text = AnsiToUtf8(ansi_text);
    std::fputs(text.c_str(), stderr);
  }
}

void SetDebugCapture(DebugCapture capture, void* context) {
  g_capture = capture;
  g_capture_context = context;
}

} // namespace kvp
