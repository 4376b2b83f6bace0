// The comparison tool's settings, read from its dialog once, on OK.
#pragma once

namespace comparacao {

struct Settings {
  bool black_and_white = false;
};

} // namespace comparacao
