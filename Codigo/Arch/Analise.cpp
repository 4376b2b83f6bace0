#include "Analise.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <thread>

#include "Funcoes/ErrosPadraoArch.h"

namespace arch {
namespace {
// A single fit that takes longer than this shows itself.
constexpr auto kQuietFit = std::chrono::seconds(1);

// EGARCH's log-likelihood, -1/2 sum (ln h(t) + e(t)^2 / h(t)) plus a constant, is bounded above
// on a series without a zero: each term is at most -1/2 (ln e(t)^2 + 1), its value at
// h(t) = e(t)^2. A zero return leaves its term -1/2 ln h(t) alone, and the likelihood has no
// maximum when the free parameters can drive that h(t) to 0 while every other h stays put. One
// lag i does so, with the other coefficients 0 (ln h(t) = omega + alpha_i g(z(t - i)),
// g(z) = |z| + gamma_i z, the lags before the series taking g = 1 + gamma_i) and alpha_i -> -inf,
// when g vanishes at every nonzero return's lag and not at some zero return's lag: gamma_i = -1
// makes g vanish for z >= 0 (and before the series), gamma_i = 1 for z <= 0, any other gamma only
// for z = 0. A zero return after nonzero ones in alternation is the common case (every nonzero
// return follows a zero). The other models keep h(t) >= omega >= delta.
bool EgarchUnbounded(const std::vector<double>& x, int q) {
  const std::size_t n = x.size();
  for (int lag = 1; lag <= q; ++lag) {
    const auto i = static_cast<std::size_t>(lag);
    for (int gamma : {-1, 0, 1}) {
      // Whether g of the lagged value vanishes; before the series only for gamma = -1.
      auto vanishes = [&](std::size_t t) {
        if (t < i) return gamma == -1;
        const double v = x[t - i];
        return v == 0 || (gamma == -1 && v > 0) || (gamma == 1 && v < 0);
      };
      bool others_stay = true, one_falls = false;
      for (std::size_t t = 0; t < n && others_stay; ++t) {
        if (x[t] != 0)
          others_stay = vanishes(t);
        else
          one_falls = one_falls || !vanishes(t);
      }
      if (others_stay && one_falls) return true;
    }
  }
  return false;
}

bool AllEqual(const std::vector<double>& x) {
  return std::adjacent_find(x.begin(), x.end(), std::not_equal_to<>()) == x.end();
}

// A likelihood that is a number (not EGARCH's mark of a variance that reached 0).
bool Finite(const AjusteArch& fit) {
  return std::isfinite(fit.LL) && fit.LL > kSentinelaArch;
}

// One model fitted (the search and its polish), on a thread of its own so that the caller can
// tell of a long fit.
AjusteArch FitOne(const EspecArch& m, const std::vector<double>& x, const Progress& progress) {
  auto fit = std::async(std::launch::async, [&] { return ajusta_arch(m, x); });
  if (fit.wait_for(kQuietFit) != std::future_status::ready && progress.slow_fit)
    progress.slow_fit(m);
  return fit.get();
}

std::vector<DistribuicaoArch> Distributions(const Settings& s) {
  if (s.best && s.all_distributions)
    return {DistribuicaoArch::Normal, DistribuicaoArch::Student, DistribuicaoArch::Ged};
  return {s.distribution};
}

// Every candidate of the models tried below the maxima, on every core; the one of least
// criterion.
Resultado<AjusteArch, Falha> FitBest(const Settings& s, const std::vector<double>& x,
                                     const Progress& progress) {
  const std::vector<EspecArch> gaussian = candidatos_arch(s.models_tried, s.q, s.p);
  if (gaussian.empty()) return Falhou{Falha::NoCandidate};
  // Every candidate under the chosen distribution, or under each of the three in turn.
  std::vector<EspecArch> candidates;
  for (const DistribuicaoArch dist : Distributions(s))
    for (EspecArch m : gaussian) {
      m.dist = dist;
      candidates.push_back(m);
    }
  // No EGARCH candidate whose likelihood has no maximum.
  std::erase_if(candidates, [&](const EspecArch& m) {
    return m.modelo == ModeloArch::Egarch && EgarchUnbounded(x, m.q);
  });
  if (candidates.empty()) return Falhou{Falha::Unbounded};
  const std::size_t total = candidates.size();
  ProgressoArch ended;
  if (progress.fit_ended)
    ended = [&](std::size_t done, const EspecArch& m) { progress.fit_ended(done, total, m); };
  const std::vector<AjusteArch> fits =
      ajusta_candidatos(candidates, x, std::max(1u, std::thread::hardware_concurrency()), ended);
  const auto best = melhor_ajuste(fits, x.size(), s.criterion);
  if (!best) return Falhou{Falha::NoneConverged};
  return fits[*best];
}

// The VaR levels of the forecast and the backtest: 95% and 99%.
constexpr std::array<double, 2> kVarLevels{0.05, 0.01};

std::vector<StandardError> StandardErrors(const EspecArch& m, const std::vector<double>& x,
                                          const std::vector<double>& theta) {
  const std::vector<ErroPadraoArch> errors = erros_padrao_arch(m, x, theta);
  std::vector<StandardError> out(errors.size());
  for (std::size_t i = 0; i < errors.size(); ++i) {
    if (errors[i].hessiana) {
      out[i].se = errors[i].hessiana;
      out[i].z = theta[i] / *errors[i].hessiana;
    }
    if (errors[i].robusto) {
      out[i].robust_se = errors[i].robusto;
      out[i].robust_z = theta[i] / *errors[i].robusto;
    }
  }
  return out;
}

// The forecast block: the variances ahead, their volatilities, the volatility of the sum of the
// returns to each day and its VaR, as the sheet shows returns (log returns in simple terms).
std::vector<ForecastRow> Forecast(const Settings& s, const EspecArch& m,
                                  const std::vector<double>& x, const std::vector<double>& theta) {
  const std::vector<double> ahead =
      previsao_variancias_arch(m, x, theta, static_cast<std::size_t>(s.horizon));
  const double nu = m.tem_nu() ? theta.back() : 0.0;
  std::array<double, 2> q{};
  for (std::size_t i = 0; i < 2; ++i)
    q[i] = quantil_erro_arch(m.dist, nu, kVarLevels[i]);
  auto shown = [&](double v) { return s.log_returns ? std::expm1(v) : v; };
  auto var = [&](double quantile, double vol) {
    return s.log_returns ? -std::expm1(quantile * vol) : -quantile * vol;
  };
  std::vector<ForecastRow> rows;
  double sum = 0;
  for (const double variance : ahead) {
    sum += variance;
    const double cumulative = std::sqrt(sum);
    rows.push_back({variance, shown(std::sqrt(variance)), shown(cumulative), var(q[0], cumulative),
                    var(q[1], cumulative)});
  }
  return rows;
}

Falha FromSeries(FalhaSerie falha) {
  return falha == FalhaSerie::RazaoNaoPositiva ? Falha::NonPositiveRatio : Falha::NotFinite;
}
} // namespace

std::string NomeModeloArch(const EspecArch& m) {
  static const char* const kNames[] = {"ARCH", "GARCH", "IGARCH", "EGARCH", "GJR"};
  std::string name = kNames[static_cast<int>(m.modelo)];
  name += " (" + std::to_string(m.q);
  if (m.modelo != ModeloArch::Arch) name += "," + std::to_string(m.p);
  return name + ")";
}

Resultado<Result, Falha> Analyse(const Settings& s, const std::vector<double>& serie,
                                 const Progress& progress) {
  if (!s.model && !s.best) return Falhou{Falha::NoModel};
  if (s.q < 1 || s.p < 1) return Falhou{Falha::NoOrder};
  auto x = serie_historica(
      serie, s.reversed ? OrdemDados::MaisRecentesPrimeiro : OrdemDados::MaisAntigosPrimeiro,
      s.treatment);
  if (!x) return Falhou{FromSeries(x.motivo())};
  if (x->size() < 2) return Falhou{Falha::TooShort};
  if (AllEqual(*x)) return Falhou{Falha::ZeroVariance};
  if (s.model == ModeloArch::Egarch && EgarchUnbounded(*x, s.q)) return Falhou{Falha::Unbounded};

  Result r;
  r.x = std::move(*x);
  if (s.model) {
    r.fit = FitOne(espec_arch(*s.model, s.q, s.p, s.distribution), r.x, progress);
    if (r.fit.resultado == 0) return Falhou{Falha::UnknownModel};
    if (!Finite(r.fit)) return Falhou{Falha::Unbounded};
  } else {
    auto best = FitBest(s, r.x, progress);
    if (!best) return Falhou{best.motivo()};
    r.fit = std::move(*best);
  }

  const EspecArch& m = r.fit.espec;
  r.name = NomeModeloArch(m);
  r.h = variancias_condicionais(m, r.x, r.fit.theta);
  r.lr = razoes_verossimilhanca(m, r.x, r.fit.theta);
  // Volatilities of log returns are shown as simple returns.
  auto shown = [&](double v) { return s.log_returns ? std::expm1(v) : v; };
  r.current_volatility = shown(std::sqrt(r.h.back()));
  const bool stationary = estacionario(m, r.fit.theta);
  if (stationary)
    r.unconditional_volatility =
        shown(std::sqrt(r.fit.theta[0] / (1 - soma_persistencia(m, r.fit.theta))));
  r.criteria = criterios_arch(r.fit.LL, r.x.size(), m.k());
  if (s.standard_errors) r.standard_errors = StandardErrors(m, r.x, r.fit.theta);
  if (s.horizon > 0) r.forecast = Forecast(s, m, r.x, r.fit.theta);
  if (s.backtest) {
    const double nu = m.tem_nu() ? r.fit.theta.back() : 0.0;
    r.backtest = std::array<BacktestArch, 2>{};
    for (std::size_t i = 0; i < 2; ++i) {
      const double alpha = kVarLevels[i];
      (*r.backtest)[i] = backtest_var_arch(r.x, r.h, quantil_erro_arch(m.dist, nu, alpha), alpha);
    }
  }
  if (s.chart) {
    ChartSeries chart{pontos_grafico(r.x.size(), stationary), {}};
    if (stationary) {
      auto ahead = variancias_projetadas(m, r.x, r.fit.theta,
                                         chart.points.pontos - chart.points.observacoes);
      if (ahead) chart.projection = std::move(*ahead);
    }
    r.chart = std::move(chart);
  }
  return r;
}

std::string Reason(Falha falha) {
  switch (falha) {
  case Falha::NoModel: return "nenhum modelo escolhido";
  case Falha::NoOrder: return "nenhuma ordem escolhida";
  case Falha::NonPositiveRatio: return "log de uma razão de cotações nula ou negativa";
  case Falha::NotFinite: return "um valor ou um retorno que não é finito";
  case Falha::TooShort: return "menos de dois valores";
  case Falha::UnknownModel: return "modelo desconhecido";
  case Falha::NoCandidate: return "nenhum par de ordens a ajustar";
  case Falha::NoneConverged: return "nenhum candidato convergiu";
  case Falha::ZeroVariance: return "uma série de valores todos iguais, de variância nula";
  case Falha::Unbounded: return "EGARCH com um retorno nulo: verossimilhança sem máximo";
  }
  return "motivo desconhecido";
}

} // namespace arch
