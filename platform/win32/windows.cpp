#include "kvplatform/windows.h"

#include <windows.h>

namespace kvp {
namespace {
struct Walk {
  WindowVisitor visit;
  void* context;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM walk_address) {
  auto* walk = reinterpret_cast<Walk*>(walk_address);
  return walk->visit(walk->context, reinterpret_cast<WindowHandle>(window)) ? TRUE : FALSE;
}
} // namespace

void EnumerateTopLevelWindows(WindowVisitor visit, void* context) {
  Walk walk{visit, context};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&walk));
}

int WindowClassName(WindowHandle window, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  return GetClassNameA(reinterpret_cast<HWND>(window), buffer, size);
}

} // namespace kvp
