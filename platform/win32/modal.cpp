#include <windows.h>

#include <string>

#include "../common/modal_driver.h"

namespace kvp {

// Native dialog windows are not part of this build yet: say so instead of showing nothing.
void RunModal(ModalForm& form, WindowHandle owner) {
  if (!detail::RunInstalledDriver(form, owner)) {
    const std::string text = form.Caption() + "\n\nThis dialog is not available in this build.";
    MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), "Kavenlor", MB_OK | MB_ICONWARNING);
  }
  if (form.Showing()) form.CloseByFrame();
}

} // namespace kvp
