// A toolbar drawn as Excel draws a docked one: a strip of buttons with their pasted faces and
// the gaps between groups, saved as a PNG. For looking at what the add-in pasted.
#pragma once

#include <string>

#include "model/command_bars.h"

namespace kvhost {

// Writes `toolbar` to `path` (whole or not at all), each pixel drawn `scale` x `scale`.
// False, with the cause in `error`, when the file cannot be written.
bool WriteToolbarPicture(const Toolbar& toolbar, const std::string& path, int scale,
                         std::string& error);

} // namespace kvhost
