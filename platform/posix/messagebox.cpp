#include "kvplatform/messagebox.h"

#include <cstdio>
#include <string>

#include "kvplatform/ansi.h"

namespace kvp {
namespace {
MessageBoxHandler g_handler = nullptr;
void* g_handler_context = nullptr;
} // namespace

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  if (g_handler != nullptr) return g_handler(g_handler_context, owner, text, caption, type);
  // MessageBoxA titles a box without a caption "Error".
  std::string line = "[";
  line.append(AnsiToUtf8(caption != nullptr ? caption : "Error"));
  line.append("] ");
  line.append(AnsiToUtf8(text != nullptr ? text : ""));
  line.append("\n");
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  return kIdOk;
}

void SetMessageBoxHandler(MessageBoxHandler handler, void* context) {
  g_handler = handler;
  g_handler_context = context;
}

} // namespace kvp
