// The ARCH-family maxima of tests/reference/data/arch_maxima.json, and the check that the
// fits of ajusta_arch reach them.
#pragma once

#include <string>
#include <vector>

#include "Funcoes/ArchPolimento.h"

namespace kvtest {

// The series of the reference: "t5", "t5_outlier", "egarch", "gjr" (stored in the file), "dax"
// (the DAX log returns) and "dem_gbp" (data/dem2gbp.csv).
std::vector<double> ArchSeries(const std::string& name);

// scipy's maximum of the model on the series; fails the test when the file has none.
double ArchMaximum(const std::string& series, const EspecArch& m);

// theta of a fit to e inside the search's region: omega at least delta 10^-2k on e of scale k
// (escala_arch; free for EGARCH), alphas and betas at least delta, alpha_i + gamma_i at least
// delta (GJR), sum below 1 - delta (ARCH, GARCH) or 1 (IGARCH, to 1e-12).
bool AdmissibleArch(const EspecArch& m, const std::vector<double>& theta,
                    const std::vector<double>& e);

// The search's point stands to the bit unless the polish is higher by more than 0.001.
void ExpectPolishRule(const EspecArch& m, const std::vector<double>& e, const AjusteArch& fit,
                      const std::string& where);

// Fits every model of the reference on the series as the best-model search does (ajusta_candidatos
// on two threads): each LL at least the maximum minus 0.01 (0.1 for EGARCH beyond (1,1)), of an
// admissible point, reported as the likelihood of that point; with `rule`, under the rule of
// ExpectPolishRule too (which fits each model again). Prints a line per fit; returns the fits,
// in the order of the reference's models.
std::vector<AjusteArch> ExpectArchMaxima(const std::string& series, bool rule);

} // namespace kvtest
