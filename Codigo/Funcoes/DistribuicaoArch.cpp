#include "DistribuicaoArch.h"

#include <cmath>
#include <numbers>

#include "FuncoesEspeciais.h"

namespace {
constexpr double kLn2 = std::numbers::ln2;

} // namespace

double digama(double x) {
  // The asymptotic series from 10 on, where its first omitted term is below 1e-15.
  double result = 0;
  while (x < 10) {
    result -= 1 / x;
    x += 1;
  }
  const double r = 1 / x, r2 = r * r;
  return result + std::log(x) - 0.5 * r -
         r2 * (1.0 / 12 -
               r2 * (1.0 / 120 -
                     r2 * (1.0 / 252 - r2 * (1.0 / 240 - r2 * (1.0 / 132 - r2 * 691.0 / 32760)))));
}

FaixaNuArch faixa_nu_arch(DistribuicaoArch dist) {
  switch (dist) {
  case DistribuicaoArch::Student: return {8, 2.05, 300};
  case DistribuicaoArch::Ged: return {2, 0.25, 40};
  case DistribuicaoArch::Normal: break;
  }
  return {};
}

DensidadeArch::DensidadeArch(DistribuicaoArch dist, double nu) : dist_(dist), nu_(nu) {
  switch (dist) {
  case DistribuicaoArch::Normal: constante_ = -0.5 * std::log(2 * std::numbers::pi); break;
  case DistribuicaoArch::Student:
    constante_ =
        log_gama((nu + 1) / 2) - log_gama(nu / 2) - 0.5 * std::log(std::numbers::pi * (nu - 2));
    d_constante_ = 0.5 * digama((nu + 1) / 2) - 0.5 * digama(nu / 2) - 0.5 / (nu - 2);
    break;
  case DistribuicaoArch::Ged: {
    const double log_lambda = 0.5 * (-2 / nu * kLn2 + log_gama(1 / nu) - log_gama(3 / nu));
    lambda_ = std::exp(log_lambda);
    const double nu2 = nu * nu;
    d_log_lambda_ = 0.5 * (2 * kLn2 - digama(1 / nu) + 3 * digama(3 / nu)) / nu2;
    constante_ = std::log(nu) - log_lambda - (1 + 1 / nu) * kLn2 - log_gama(1 / nu);
    d_constante_ = 1 / nu - d_log_lambda_ + (kLn2 + digama(1 / nu)) / nu2;
    break;
  }
  }
}

double DensidadeArch::log(double e, double h) const {
  switch (dist_) {
  case DistribuicaoArch::Normal: return constante_ - 0.5 * std::log(h) - 0.5 * e * e / h;
  case DistribuicaoArch::Student:
    return constante_ - 0.5 * std::log(h) - 0.5 * (nu_ + 1) * std::log1p(e * e / ((nu_ - 2) * h));
  case DistribuicaoArch::Ged: {
    const double a = std::fabs(e) / (std::sqrt(h) * lambda_);
    return constante_ - 0.5 * std::pow(a, nu_) - 0.5 * std::log(h);
  }
  }
  return 0;
}

double DensidadeArch::log(double e, double h, double& por_log_h, double& por_nu) const {
  return log(e, h, std::log(h), por_log_h, por_nu);
}

double DensidadeArch::log(double e, double h, double log_h, double& por_log_h,
                          double& por_nu) const {
  switch (dist_) {
  case DistribuicaoArch::Normal: {
    const double x = e * e / h;
    por_log_h = 0.5 * (x - 1);
    por_nu = 0;
    return constante_ - 0.5 * log_h - 0.5 * x;
  }
  case DistribuicaoArch::Student: {
    const double u = e * e / ((nu_ - 2) * h), share = u / (1 + u), l1p = std::log1p(u);
    por_log_h = -0.5 + 0.5 * (nu_ + 1) * share;
    por_nu = d_constante_ - 0.5 * l1p + 0.5 * (nu_ + 1) * share / (nu_ - 2);
    return constante_ - 0.5 * log_h - 0.5 * (nu_ + 1) * l1p;
  }
  case DistribuicaoArch::Ged: {
    const double a = std::fabs(e) / (std::sqrt(h) * lambda_);
    const double w = std::pow(a, nu_);
    por_log_h = 0.25 * nu_ * w - 0.5;
    // w ln a -> 0 as a -> 0.
    por_nu = d_constante_ - 0.5 * (w > 0 ? w * (std::log(a) - nu_ * d_log_lambda_) : 0.0);
    return constante_ - 0.5 * w - 0.5 * log_h;
  }
  }
  return 0;
}

double log_verossimilhanca_arch(const EspecArch& m, const std::vector<double>& e,
                                const std::vector<double>& theta) {
  if (!m.tem_nu()) return log_verossimilhanca(m.modelo, m.q, m.r, m.p, e, theta);
  const double nu = theta.back();
  const FaixaNuArch range = faixa_nu_arch(m.dist);
  if (!(nu >= range.minimo && nu <= range.maximo) || e.empty()) return kSentinelaArch;
  const std::vector<double> h = variancias_condicionais(m, e, theta);
  const DensidadeArch density(m.dist, nu);
  double ll = 0;
  for (std::size_t t = 0; t < e.size(); ++t) {
    if (!(h[t] > 0) || !std::isfinite(h[t])) return kSentinelaArch;
    ll += density.log(e[t], h[t]);
  }
  return std::isfinite(ll) ? ll : kSentinelaArch;
}

double media_absoluta_arch(DistribuicaoArch dist, double nu) {
  switch (dist) {
  case DistribuicaoArch::Normal: return std::sqrt(2 / std::numbers::pi);
  case DistribuicaoArch::Student:
    return 2 * std::sqrt(nu - 2) * std::exp(log_gama((nu + 1) / 2) - log_gama(nu / 2)) /
           ((nu - 1) * std::sqrt(std::numbers::pi));
  case DistribuicaoArch::Ged: {
    const double lambda = std::exp(0.5 * (-2 / nu * kLn2 + log_gama(1 / nu) - log_gama(3 / nu)));
    return lambda * std::exp(kLn2 / nu + log_gama(2 / nu) - log_gama(1 / nu));
  }
  }
  return 0;
}
