// The best-model search of the conditional-volatility tool: every chosen model at every order
// pair below the maxima, each fitted exactly as if alone, on the machine's cores, and the one of
// least information criterion. Plain C++; nothing here knows of Excel.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "ArchPolimento.h"
#include "EstatisticasArch.h"
#include "Resultado.h"

// The candidates in the order of the choice: the models checked (indexed by model code) in code
// order; inside, p' = 0 .. pmax - 1 (0 only for ARCH) and q' = 0 .. qmax - 1, without
// q' = p' = 0; r' = q' for EGARCH and GJR.
std::vector<EspecArch> candidatos_arch(const std::array<bool, 5>& modelos, int qmax, int pmax);

// Called on the calling thread after each fit ends: how many have ended, and which one ended.
using ProgressoArch = std::function<void(std::size_t feitos, const EspecArch& terminado)>;

// Fits every candidate with ajusta_arch on `threads` threads (at least one; the calling thread
// only waits and reports). The result is in the order of `candidatos`, whatever the order in
// which the fits end. The search itself raises nothing; an exception that passes through it (no
// memory, or thrown by `progresso`) is thrown again here, after every thread has stopped.
std::vector<AjusteArch> ajusta_candidatos(const std::vector<EspecArch>& candidatos,
                                          const std::vector<double>& e, unsigned threads,
                                          const ProgressoArch& progresso);

enum class CriterioArch { Aic = 0, Aicc = 1, Bic = 2 };

// The index of the converged fit of least criterion on the T values of the series: the first
// converged is the provisional best, a later one replaces it only when its criterion is strictly
// smaller; a fit without the criterion (AICc whose divisor is not positive), or whose likelihood
// is EGARCH's mark of a variance that reached 0 (kSentinelaArch), cannot win.
enum class FalhaMelhorAjuste { NoneQualifies }; // no fit converged with a finite criterion
Resultado<std::size_t, FalhaMelhorAjuste> melhor_ajuste(const std::vector<AjusteArch>& ajustes,
                                                        std::size_t T, CriterioArch criterio);
