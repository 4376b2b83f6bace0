#include "SistemaTridiagonal.h"

#include <cmath>

namespace interno {

void TridiagonalLu::Factor(const double* d, const double* e, std::size_t m, double sigma,
                           double tiny) {
  dd.resize(m);
  dl.assign(e, e + (m - 1));
  du.assign(e, e + (m - 1));
  du2.assign(m > 1 ? m - 1 : 0, 0.0);
  swapped.assign(m, 0);
  for (std::size_t i = 0; i < m; ++i)
    dd[i] = d[i] - sigma;
  for (std::size_t i = 0; i + 1 < m; ++i) {
    if (std::fabs(dd[i]) >= std::fabs(dl[i])) {
      if (std::fabs(dd[i]) < tiny) dd[i] = std::copysign(tiny, dd[i]);
      const double f = dl[i] / dd[i];
      dl[i] = f;
      dd[i + 1] -= f * du[i];
    } else {
      const double f = dd[i] / dl[i];
      dd[i] = dl[i];
      dl[i] = f;
      const double upper = du[i];
      du[i] = dd[i + 1];
      dd[i + 1] = upper - f * dd[i + 1];
      if (i + 2 < m) {
        du2[i] = du[i + 1];
        du[i + 1] = -f * du[i + 1];
      }
      swapped[i] = 1;
    }
  }
  if (std::fabs(dd[m - 1]) < tiny) dd[m - 1] = std::copysign(tiny, dd[m - 1]);
  inverse.resize(m);
  for (std::size_t i = 0; i < m; ++i)
    inverse[i] = 1 / dd[i];
}

void TridiagonalLu::Solve(std::vector<double>& b) const {
  const std::size_t m = dd.size();
  for (std::size_t i = 0; i + 1 < m; ++i) {
    if (!swapped[i]) {
      b[i + 1] -= dl[i] * b[i];
    } else {
      const double t = b[i];
      b[i] = b[i + 1];
      b[i + 1] = t - dl[i] * b[i];
    }
  }
  b[m - 1] *= inverse[m - 1];
  if (m >= 2) b[m - 2] = (b[m - 2] - du[m - 2] * b[m - 1]) * inverse[m - 2];
  for (std::size_t i = m - 2; i-- > 0;)
    b[i] = (b[i] - du[i] * b[i + 1] - du2[i] * b[i + 2]) * inverse[i];
}

} // namespace interno
