// Internal: the installed modal driver, shared by both systems' modal loops.
#pragma once

#include "kvplatform/modal.h"

namespace kvp::detail {
// Runs the installed driver on `form`; false when none is installed.
bool RunInstalledDriver(ModalForm& form, WindowHandle owner);
} // namespace kvp::detail
