
#include <windows.h>
// The common controls' header needs windows.h before it.
#include <commctrl.h>

#include "../common/modal_driver.h"
#include "attached_form.h"
#include "dialog_window.h"

namespace kvp {
namespace win32 {
namespace {

// The dialog class lives while a dialog is open: an add-in can be unloaded between dialogs, and
// a class left registered would point into the unloaded module.
int g_open_dialogs = 0;

void RegisterDialogClass() {
  static bool common_controls = false;
  if (!common_controls) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    common_controls = InitCommonControlsEx(&controls) != FALSE;
  }
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(ThisModule(), kDialogClass, &existing)) return;
  WNDCLASSEXA dialog_class{};
  dialog_class.cbSize = sizeof(dialog_class);
  dialog_class.lpfnWndProc = &DialogWindow::Procedure;
  dialog_class.hInstance = ThisModule();
  dialog_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  dialog_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dialog_class.lpszClassName = kDialogClass;
  RegisterClassExA(&dialog_class);
}

void UnregisterDialogClass() {
  UnregisterClassA(kDialogClass, ThisModule());
}
} // namespace

bool IsNativeDialog(HWND window) {
  char name[64] = {};
  return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 &&
         lstrcmpA(name, kDialogClass) == 0;
}

void RunNativeModal(ModalForm& form, HWND owner) {
  if (g_open_dialogs++ == 0) RegisterDialogClass();
  {
    DialogWindow dialog(form, owner);
    dialog.Run();
  }
  if (--g_open_dialogs == 0) UnregisterDialogClass();
}

} // namespace win32

void RunModal(ModalForm& form, WindowHandle owner) {
  if (!detail::RunInstalledDriver(form, owner))
    win32::RunNativeModal(form, reinterpret_cast<HWND>(owner));
  if (form.Showing()) form.CloseByFrame();
}

} // namespace kvp
