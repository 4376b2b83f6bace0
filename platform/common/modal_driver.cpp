// The driver a host installs for modal dialogs; each system's RunModal asks for it.
#include "modal_driver.h"

namespace kvp {
namespace {
ModalDriver g_driver = nullptr;
void* g_driver_context = nullptr;
} // namespace

void SetModalDriver(ModalDriver driver, void* context) {
  g_driver = driver;
  g_driver_context = context;
}

namespace detail {
bool RunInstalledDriver(ModalForm& form, WindowHandle owner) {
  if (g_driver == nullptr) return false;
  g_driver(g_driver_context, form, owner);
  return true;
}
} // namespace detail

} // namespace kvp
