#include "kvplatform/messagebox.h"

#include <windows.h>

namespace kvp {

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, type);
}

} // namespace kvp
