#include "kvplatform/modal.h"

namespace kvp {
namespace {
ModalDriver g_driver = nullptr;
void* g_driver_context = nullptr;
} // namespace

void SetModalDriver(ModalDriver driver, void* context) {
  g_driver = driver;
  g_driver_context = context;
}

void RunModal(ModalForm& form, WindowHandle owner) {
  // Without a driver nobody can answer the dialog: it is closed as by its frame, never left
  // waiting.
  if (g_driver == nullptr) {
    form.CloseByFrame();
    return;
  }
  g_driver(g_driver_context, form, owner);
  if (form.Showing()) form.CloseByFrame(); // a driver that gave up leaves no dialog open
}

} // namespace kvp
