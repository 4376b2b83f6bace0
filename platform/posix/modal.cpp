#include "../common/modal_driver.h"

namespace kvp {

void RunModal(ModalForm& form, WindowHandle owner) {
  // Without a driver nobody can answer the dialog: it is closed as by its frame, never left
  // waiting. A driver that gave up leaves no dialog open either.
  detail::RunInstalledDriver(form, owner);
  if (form.Showing()) form.CloseByFrame();
}

} // namespace kvp
