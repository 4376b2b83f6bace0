// Varimax rotation of factor loadings with Kaiser normalisation, by plane rotations of every
// pair of factors. Follows the conventions of Matriz.h.
#pragma once

#include <cstdint>

#include "Matriz.h"

struct VarimaxReport {
  std::uint32_t sweeps = 0; // sweeps of rotations made
  double criterion = 0;     // the criterion at the start of the last sweep tested
};

// L: p variables (rows) by k factors (columns). `fatores_menos_um` is not used (the principal
// component tool passes k - 1 there). T: the k x k rotation; the rotated loadings are L x T.
//
//  1. W = L with each row i divided by h(i) = sqrt(sum_j L(i, j)^2) (the square root of the
//     communality); a row of zeros (h = 0) is left as it is. T = I.
//  2. Sweeps s = 0, 1, .. while s < maximo_varreduras:
//     a. criterion V = sum_j (p sum_i W(i, j)^4 - (sum_i W(i, j)^2)^2) / p^2;
//     b. when s > 0 and |V - V_previous| <= tolerancia, stop (the test comes before the
//        rotations, so the last sweep made is never tested afterwards);
//     c. for each pair of columns (j, l), j < l, in order, with x, y the columns j, l of W:
//          u = x^2 - y^2, v = 2 x y (element by element),
//          SA = sum u, SB = sum v, SC = sum (u^2 - v^2), SD = sum 2 u v,
//          num = SD - 2 SA SB / p,  den = SC - (SA^2 - SB^2) / p,
//          r = sqrt(num^2 + den^2), cos 4t = den / r, cos 2t = sqrt((1 + cos 4t) / 2),
//          cos t = sqrt((1 + cos 2t) / 2), sin t = sqrt(1 - cos^2 t) with the sign of num;
//        then (x, y) <- (x cos t + y sin t, y cos t - x sin t) in W, and the same rotation of
//        the columns j, l of T. A pair with num = den = 0 has no preferred angle and is left.
// With a maximum of 0 no sweep is made and T = I. False only when L is empty.
bool varimax(Matriz L, std::int32_t fatores_menos_um, double tolerancia,
             std::uint32_t maximo_varreduras, Matriz& T);
bool varimax(Matriz L, std::int32_t fatores_menos_um, double tolerancia,
             std::uint32_t maximo_varreduras, Matriz& T, VarimaxReport& report);
