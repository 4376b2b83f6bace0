#include "kvplatform/modal.h"

#include <windows.h>

namespace kvp {
namespace {
ModalDriver g_driver = nullptr;
void* g_driver_context = nullptr;
} // namespace

void SetModalDriver(ModalDriver driver, void* context) {
  g_driver = driver;
  g_driver_context = context;
}

// Native dialog windows are not part of this build yet: say so instead of showing nothing.
void RunModal(ModalForm& form, WindowHandle owner) {
  if (g_driver != nullptr) {
    g_driver(g_driver_context, form, owner);
  } else {
    const std::string text = form.Caption() + "\n\nThis dialog is not available in this build.";
    MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), "Kavenlor", MB_OK | MB_ICONWARNING);
  }
  if (form.Showing()) form.CloseByFrame();
}

} // namespace kvp
