// The climb of the polish after the ARCH-family search: BFGS on the likelihood's analytic
// gradient, inside the search's admissible region. Used by
// ArchPolimento.cpp; the public functions are in ArchPolimento.h.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "EstatisticasArch.h"

namespace subida_arch {

struct Ascent {
  std::vector<double> theta;
  double ll = -std::numeric_limits<double>::infinity();
  bool converged = false; // ended by its own criterion, not by the limit of steps
};

// BFGS on -LL(theta(u)) with a backtracking line search, from theta, in coordinates u onto
// which the admissible region is mapped (every u is an admissible theta), for at most `steps`
// steps; converged when the gradient is negligible against the likelihood or steps stop
// changing it. An ascent from a point whose likelihood is not finite has no theta.
Ascent Climb(const EspecArch& m, const std::vector<double>& e, const std::vector<double>& theta,
             int steps);

// theta inside the search's admissible region.
bool Admissible(const EspecArch& m, const std::vector<double>& theta);

} // namespace subida_arch
