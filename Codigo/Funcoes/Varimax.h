// Varimax rotation of factor loadings with Kaiser normalisation, by plane rotations of every
// pair of factors. Follows the conventions of Matriz.h.
#pragma once

#include <cstdint>

#include "Matriz.h"

enum class FalhaVarimax {
  SemCargas // no variable or no factor
};
const char* descricao(FalhaVarimax falha);

// How the sweeps ended: the criterion changed by no more than the tolerance, or the maximum
// number of sweeps was made first (not a failure: the rotation reached is the answer).
enum class FimVarimax { CriterioEstavel, LimiteDeVarreduras };

// T: the k x k rotation; the rotated loadings are L x T.
struct RotacaoVarimax {
  Matriz T;
  std::uint32_t varreduras = 0; // sweeps of rotations made
  double criterio = 0;          // the criterion at the start of the last sweep tested
  FimVarimax fim = FimVarimax::LimiteDeVarreduras;
};

// L: p variables (rows) by k factors (columns).
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
// With a maximum of 0 no sweep is made and T = I.
Resultado<RotacaoVarimax, FalhaVarimax> rotacao_varimax(const Matriz& L, double tolerancia,
                                                        std::uint32_t maximo_varreduras);

// The same into T. `fatores_menos_um` is not used (the principal component tool passes k - 1
// there). False, with T empty, where the above has no rotation.
bool varimax(Matriz L, std::int32_t fatores_menos_um, double tolerancia,
             std::uint32_t maximo_varreduras, Matriz& T);
