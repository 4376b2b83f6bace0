// The error distributions of the ARCH-family likelihood: the Gaussian, Student's t and the
// generalised error distribution (GED), each standardised to mean 0 and variance 1, so that
// e(t) = sqrt(h(t)) z(t) keeps h(t) as the conditional variance whatever the distribution.
// Plain C++; nothing here knows of Excel.
#pragma once

#include <vector>

#include "EstatisticasArch.h"

// Where the search starts nu and where it may take it: the t needs nu > 2 for a variance; past
// the upper ends both are the Gaussian to well within what a likelihood can tell.
struct FaixaNuArch {
  double inicio = 0;
  double minimo = 0;
  double maximo = 0;
};
//   t:   start 8, nu in [2.05, 300];  GED: start 2 (the Gaussian), nu in [0.25, 40].
FaixaNuArch faixa_nu_arch(DistribuicaoArch dist);

// One observation's log-density ln f(e | h) = ln g(e / sqrt(h)) - ln(h) / 2, with all constants:
//   Gaussian: -ln(2 pi)/2 - ln(h)/2 - e^2/(2h);
//   t:   lnG((nu+1)/2) - lnG(nu/2) - ln(pi (nu-2))/2 - ln(h)/2 - (nu+1)/2 ln(1 + e^2/((nu-2) h));
//   GED: ln(nu/lambda) - |z/lambda|^nu / 2 - (1 + 1/nu) ln 2 - lnG(1/nu) - ln(h)/2,
//        lambda = sqrt(2^(-2/nu) G(1/nu) / G(3/nu)), z = e / sqrt(h).
// The terms that depend on nu alone are computed once, when the object is made.
class DensidadeArch {
public:
  DensidadeArch(DistribuicaoArch dist, double nu);

  double log(double e, double h) const;
  // The log-density with its derivatives by ln h and by nu (0 for the Gaussian).
  double log(double e, double h, double& por_log_h, double& por_nu) const;
  // The same with ln h given: the gradient's recursion has it already.
  double log(double e, double h, double log_h, double& por_log_h, double& por_nu) const;

private:
  DistribuicaoArch dist_;
  double nu_ = 0;
  double constante_ = 0; // the terms in nu alone
  double d_constante_ = 0;
  double lambda_ = 1, d_log_lambda_ = 0; // GED
};

// The log-likelihood of e under the fit m with parameters theta (nu last for the t and GED): the
// variances of variancias_condicionais, each observation's log-density summed in order of t. The
// Gaussian is log_verossimilhanca itself, to the last bit. kSentinelaArch where a variance is not
// a positive finite number, or the sum is not finite.
double log_verossimilhanca_arch(const EspecArch& m, const std::vector<double>& e,
                                const std::vector<double>& theta);

// E|z|, which EGARCH's projected log-variance takes for each future shock:
//   Gaussian sqrt(2/pi); t 2 sqrt(nu-2) G((nu+1)/2) / ((nu-1) G(nu/2) sqrt(pi));
//   GED lambda 2^(1/nu) G(2/nu) / G(1/nu).
double media_absoluta_arch(DistribuicaoArch dist, double nu);

// The digamma function psi(x) = d lnG(x) / dx, x > 0.
double digama(double x);
