#include "kvplatform/debug.h"

#include <windows.h>

namespace kvp {
namespace {
DebugCapture g_capture = nullptr;
void* g_capture_context = nullptr;
} // namespace

void OutputDebugText(const char* ansi_text) {
  if (ansi_text == nullptr) return;
  if (g_capture != nullptr) g_capture(g_capture_context, ansi_text);
  OutputDebugStringA(ansi_text);
}

void SetDebugCapture(DebugCapture capture, void* context) {
  g_capture = capture;
  g_capture_context = context;
}

} // namespace kvp
