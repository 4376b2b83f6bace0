// The polish after the pattern search. The search moves one coordinate at a time on a decimal
// grid of steps; on short or rough series it can stop in a corner of the region, far below the
// maximum. Quasi-Newton climbs from where it stopped, from typical persistences and from the
// maxima of the same model at lower orders find the maximum it missed; the search's point is
// kept whenever they find nothing better.
#include "ArchPolimento.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

#include "ArchAscensao.h"
#include "DistribuicaoArch.h"

using subida_arch::Ascent;

// The polish-only maxima of the lower orders, by model and orders (q, p), on one scaled series.
struct MemoriaPolimentoArch {
  std::mutex mutex;
  std::map<std::tuple<int, int, int>, Ascent> maxima;
};

namespace {
constexpr double kDelta = kDeltaArch;
// The steps of a climb of the fit itself, and how many times its highest climb may start again
// where its steps ran out. The maxima of lower orders are only starts: fewer steps, no rounds,
// so that their cost, which grows with the orders, stays near the search's.
constexpr int kSteps = 400;
constexpr int kMoreRounds = 4;
constexpr int kLowerSteps = 100;
constexpr int kTypicalUpTo = 3;

// A start of the given persistences on a series of mean square v: totals spread evenly over
// the lags, all on the terms there are when q or p is 0.
std::vector<double> Start(const EspecArch& m, double v, double a, double g, double b) {
  const int q = m.q, r = m.r, p = m.p;
  if (q == 0) b += a, a = 0;
  // Without betas the persistence goes to the shocks, except in EGARCH, whose log-variance
  // would leap with every shock.
  if (p == 0) a += m.modelo == ModeloArch::Egarch ? 0.0 : b, b = 0;
  std::vector<double> th(static_cast<std::size_t>(m.parametros()));
  for (int i = 1; i <= q; ++i)
    th[static_cast<std::size_t>(i)] = a / q;
  for (int i = 1; i <= r; ++i)
    th[static_cast<std::size_t>(q + i)] = g / q;
  for (int j = 1; j <= p; ++j)
    th[static_cast<std::size_t>(q + r + j)] = b / p;
  switch (m.modelo) {
  case ModeloArch::Egarch: th[0] = std::log(v) * (1 - b) - 0.8 * a; break;
  case ModeloArch::Igarch: th[0] = 0.01 * v; break;
  default: th[0] = v * std::max(0.005, 1 - a - g / 2 - b); break;
  }
  return th;
}

// Without shock terms (q = 0) the variance follows a path fixed from its start, which the
// data can only bend: persistences at and past 1 matter there, with omega near its floor.
std::vector<std::vector<double>> PathStarts(const EspecArch& m, double v) {
  std::vector<std::vector<double>> starts;
  for (const double b : {0.9, 0.99, 1.0, 1.005}) {
    if (m.modelo == ModeloArch::Igarch && b != 1.0) continue;
    if (m.modelo == ModeloArch::Garch && b >= 1.0) continue;
    std::vector<double> th = Start(m, v, 0, 0, b);
    if (m.modelo == ModeloArch::Egarch)
      th[0] = std::log(v) * (1 - b);
    else
      th[0] = std::max(v * (1 - b), 10 * kDelta);
    starts.push_back(std::move(th));
  }
  return starts;
}

// An EGARCH log-variance can follow a trend: with beta (2, -1, 0, ...) its second difference
// is what the shocks and omega make it.
std::vector<double> TrendStart(const EspecArch& m, double a, double g) {
  std::vector<double> th = Start(m, 1, a, g, 0);
  th[0] = 0;
  th[static_cast<std::size_t>(m.q + m.r + 1)] = 2;
  th[static_cast<std::size_t>(m.q + m.r + 2)] = -1;
  return th;
}

std::vector<std::vector<double>> ShockStarts(const EspecArch& m, double v) {
  switch (m.modelo) {
  case ModeloArch::Arch:
    return {Start(m, v, 0.3, 0, 0), Start(m, v, 0.6, 0, 0), Start(m, v, 0.9, 0, 0)};
  case ModeloArch::Garch:
    return {Start(m, v, 0.05, 0, 0.90), Start(m, v, 0.15, 0, 0.80), Start(m, v, 0.04, 0, 0.95),
            Start(m, v, 0.05, 0, 0.30)};
  case ModeloArch::Igarch: return {Start(m, v, 0.05, 0, 0.95), Start(m, v, 0.20, 0, 0.80)};
  case ModeloArch::Egarch:
    return {Start(m, v, 0.10, -0.5, 0.95), Start(m, v, 0.20, 0, 0.90),
            Start(m, v, 0.10, -0.3, 0.99)};
  case ModeloArch::Gjr:
    return {Start(m, v, 0.03, 0.08, 0.90), Start(m, v, 0.08, 0, 0.85),
            Start(m, v, 0.02, 0.04, 0.96), Start(m, v, 0.05, 0.05, 0.30)};
  }
  return {};
}

std::vector<std::vector<double>> TypicalStarts(const EspecArch& m, double v) {
  std::vector<std::vector<double>> starts = m.q == 0 ? PathStarts(m, v) : ShockStarts(m, v);
  if (m.modelo == ModeloArch::Egarch && m.p >= 2)
    starts.push_back(m.q == 0 ? TrendStart(m, 0, 0) : TrendStart(m, 0.1, -0.3));
  return starts;
}

// A point of the model at lower orders `lower` as a point of m, its terms at the first lags or
// one lag later (`shift`: the shocks of lag i as those of lag i + 1 when m has one more alpha,
// likewise the betas): the terms it lacks at the region's floor (0 for EGARCH and for the
// asymmetries), the largest of the alphas and betas giving up what they add, so that the sum
// stays admissible. Its likelihood is that of the lower model (shifted: of a model one lag
// slower), or next to it.
std::vector<double> Embedded(const EspecArch& m, const EspecArch& lower,
                             const std::vector<double>& th, bool shift) {
  const double fill = m.modelo == ModeloArch::Egarch ? 0.0 : kDelta;
  std::vector<double> out(static_cast<std::size_t>(m.parametros()), fill);
  out[0] = th[0];
  auto at = [](int i) { return static_cast<std::size_t>(i); };
  const int da = shift && m.q > lower.q ? 1 : 0, db = shift && m.p > lower.p ? 1 : 0;
  for (int i = 1; i <= m.r; ++i)
    out[at(m.q + i)] = 0;
  for (int i = 1; i <= lower.q; ++i) {
    out[at(i + da)] = th[at(i)];
    if (i <= lower.r) out[at(m.q + i + da)] = th[at(lower.q + i)];
  }
  for (int j = 1; j <= lower.p; ++j)
    out[at(m.q + m.r + j + db)] = th[at(lower.q + lower.r + j)];
  if (m.modelo == ModeloArch::Arch || m.modelo == ModeloArch::Garch ||
      m.modelo == ModeloArch::Igarch) {
    const double added = fill * ((m.q - lower.q) + (m.p - lower.p));
    const auto top = std::max_element(out.begin() + 1, out.end());
    *top -= added;
  }
  return out;
}

// An EGARCH point of orders (q - 1, p - 1) as a point of (q, p) with the same recursion after
// the first lags: both of its polynomials, of shocks and of log-variances, times (1 - z). The
// log-variance then moves by the lower model's steps on a trend, which the climb bends.
std::vector<double> WithUnitFactor(const EspecArch& m, const EspecArch& lower,
                                   const std::vector<double>& th) {
  auto at = [](int i) { return static_cast<std::size_t>(i); };
  std::vector<double> out(static_cast<std::size_t>(m.parametros()), 0.0);
  out[0] = 0;
  auto shock = [&](int i) { return i >= 1 && i <= lower.q ? th[at(i)] : 0.0; };
  auto sign = [&](int i) { return i >= 1 && i <= lower.r ? th[at(i)] * th[at(lower.q + i)] : 0.0; };
  for (int i = 1; i <= m.q; ++i) {
    const double a = shock(i) - shock(i - 1), c = sign(i) - sign(i - 1);
    out[at(i)] = a;
    if (i <= m.r) out[at(m.q + i)] = a != 0 ? c / a : 0.0;
  }
  auto beta = [&](int j) {
    return j == 0 ? -1.0 : j <= lower.p ? th[at(lower.q + lower.r + j)] : 0.0;
  };
  for (int j = 1; j <= m.p; ++j)
    out[at(m.q + m.r + j)] = beta(j) - beta(j - 1);
  return out;
}

// The variance level of the typical starts: mean(e^2), or 1 on a series without one.
double Level(const std::vector<double>& e) {
  const double v = media_quadratica_arch(e);
  return v > 0 && std::isfinite(v) ? v : 1.0;
}

// The highest admissible end of climbs from `starts`; the highest goes on for up to `rounds`
// more climbs where its steps ran out. Converged when a climb that ended by its own criterion is
// as high as the best, to within what the search's point is kept for.
Ascent Highest(const EspecArch& m, const std::vector<double>& e,
               const std::vector<std::vector<double>>& starts, int steps, int rounds) {
  std::vector<Ascent> ends;
  for (const std::vector<double>& start : starts) {
    Ascent a = subida_arch::Climb(m, e, start, steps);
    if (a.theta.empty() || !subida_arch::Admissible(m, a.theta)) continue;
    a.ll = log_verossimilhanca_arch(m, e, a.theta);
    if (std::isfinite(a.ll) && a.ll > kSentinelaArch) ends.push_back(std::move(a));
  }
  auto best = std::max_element(ends.begin(), ends.end(),
                               [](const Ascent& a, const Ascent& b) { return a.ll < b.ll; });
  if (best == ends.end()) return {};
  // The highest climb goes on where it was cut short by its number of steps.
  for (int round = 0; !best->converged && round < rounds; ++round) {
    Ascent further = subida_arch::Climb(m, e, best->theta, steps);
    if (further.theta.empty() || !subida_arch::Admissible(m, further.theta)) break;
    further.ll = log_verossimilhanca_arch(m, e, further.theta);
    if (!(further.ll >= best->ll)) break;
    *best = std::move(further);
  }
  Ascent out = *best;
  out.converged = std::any_of(ends.begin(), ends.end(), [&](const Ascent& a) {
    return a.converged && a.ll >= out.ll - kGanhoPolimentoArch;
  });
  return out;
}

class Polisher {
public:
  Polisher(const std::vector<double>& e, MemoriaPolimentoArch& memory)
      : e_(e), v_(Level(e)), memory_(memory) {}

  // The best climb of m from `first` (when given), the typical starts and the maxima of the
  // model at the orders one below in q or in p; converged when a climb that ended by its own
  // criterion is as high as the best, to within what the search's point is kept for.
  Ascent Best(const EspecArch& m, const std::vector<double>* first) {
    // Only the fit itself has the search's point; the lower orders' maxima have none.
    const bool own = first != nullptr;
    const int steps = own ? kSteps : kLowerSteps;
    std::vector<std::vector<double>> starts;
    if (first) starts.push_back(*first);
    // A lower order of more than three terms is reached from its own lower orders alone.
    if (own || m.q + m.p <= kTypicalUpTo)
      for (auto& start : TypicalStarts(m, v_))
        starts.push_back(std::move(start));
    for (const auto& [q, p] : {std::pair{m.q - 1, m.p}, std::pair{m.q, m.p - 1}}) {
      if (q < 0 || p < 0 || (q == 0 && p == 0) || (m.modelo == ModeloArch::Arch && q == 0))
        continue;
      const EspecArch lower = espec_arch(m.modelo, q, p);
      const Ascent& below = Lower(lower);
      if (below.theta.empty()) continue;
      starts.push_back(Embedded(m, lower, below.theta, false));
      starts.push_back(Embedded(m, lower, below.theta, true));
    }
    if (m.modelo == ModeloArch::Egarch && m.q >= 1 && m.p >= 1 && m.q + m.p > 2) {
      const EspecArch lower = espec_arch(m.modelo, m.q - 1, m.p - 1);
      const Ascent& below = Lower(lower);
      if (!below.theta.empty()) starts.push_back(WithUnitFactor(m, lower, below.theta));
    }
    return Highest(m, e_, starts, steps, own ? kMoreRounds : 0);
  }

  // The polish-only maximum of a model (a lower one's, or the Gaussian start of a fit under the
  // t or the GED), once per series.
  const Ascent& Lower(const EspecArch& m) {
    const auto key = std::tuple{static_cast<int>(m.modelo), m.q, m.p};
    {
      std::lock_guard lock(memory_.mutex);
      if (const auto found = memory_.maxima.find(key); found != memory_.maxima.end())
        return found->second;
    }
    // Computed outside the lock: another thread may compute the same maximum meanwhile, and
    // gets the same value, since it depends only on the series and the model.
    Ascent a = Best(m, nullptr);
    std::lock_guard lock(memory_.mutex);
    return memory_.maxima.try_emplace(key, std::move(a)).first->second;
  }

  const std::vector<double>& e_;
  double v_;
  MemoriaPolimentoArch& memory_;
};
} // namespace

std::shared_ptr<MemoriaPolimentoArch> memoria_polimento_arch() {
  return std::make_shared<MemoriaPolimentoArch>();
}

namespace {
// The Gaussian fit on the scaled series (the search from delta, then the polish).
AjusteArch GaussianFit(const EspecArch& m, const std::vector<double>& scaled,
                       MemoriaPolimentoArch& memory) {
  AjusteArch fit;
  fit.espec = m;
  fit.resultado = busca_arch(m.modelo, m.q, m.r, m.p, scaled, fit.theta, fit.LL);
  if (fit.resultado == 0 || scaled.empty()) return fit;
  const Ascent polished = Polisher(scaled, memory).Best(m, &fit.theta);
  fit.polimento_convergiu = polished.converged;
  if (polished.ll > fit.LL + kGanhoPolimentoArch) {
    fit.theta = polished.theta;
    fit.LL = polished.ll;
    fit.polido = true;
  }
  return fit;
}

// The values of nu from which the climbs start: the t's tails from heavy to light, the GED's
// shapes from the Laplace's to the Gaussian's.
std::vector<double> NuStarts(DistribuicaoArch dist) {
  if (dist == DistribuicaoArch::Student) return {4, faixa_nu_arch(dist).inicio, 20};
  return {1, 1.4, faixa_nu_arch(dist).inicio};
}

// Under the t or the GED, climbs in every parameter, nu among them: from the Gaussian maximum
// with each start of nu, from that maximum moved to the region's edge (ARCH, GARCH), and from the
// typical persistences with nu at its start. The Gaussian maximum is the polish's alone (its
// climbs from the typical persistences and the lower orders' maxima, as for a lower order):
// the variance parameters are consistent whatever the errors' distribution, so the maximum is
// near it, and without the Gaussian search a fit under the t costs less than the Gaussian one.
// Heavy tails often move the maximum to the edge. Converged when the climbs are.
AjusteArch FitWithNu(const EspecArch& m, const std::vector<double>& scaled,
                     MemoriaPolimentoArch& memory) {
  AjusteArch fit;
  fit.espec = m;
  const int code = static_cast<int>(m.modelo);
  if (code < 0 || code > 4 || scaled.empty()) return fit;
  fit.resultado = -1; // no search of its own: converged when its climbs are
  EspecArch variance_only = m;
  variance_only.dist = DistribuicaoArch::Normal;
  Ascent gaussian = Polisher(scaled, memory).Lower(variance_only);
  std::vector<std::vector<double>> starts;
  for (const double nu : NuStarts(m.dist)) {
    if (gaussian.theta.empty()) break;
    starts.push_back(gaussian.theta);
    starts.back().push_back(nu);
  }
  // ARCH and GARCH: the Gaussian maximum's shape at the region's edge, 2 delta inside, where the
  // start value is mean(e^2) and the variance integrates its shocks: heavy tails often take
  // the maximum there (a peer's fit would leave the stationary region).
  if ((m.modelo == ModeloArch::Arch || m.modelo == ModeloArch::Garch) && !gaussian.theta.empty()) {
    const double S = soma_persistencia(m, gaussian.theta);
    if (S > 0) {
      std::vector<double> edge = gaussian.theta;
      for (std::size_t i = 1; i < edge.size(); ++i)
        edge[i] *= (1 - 2 * kDelta) / S;
      for (const double nu : NuStarts(m.dist)) {
        starts.push_back(edge);
        starts.back().push_back(nu);
      }
    }
  }
  for (std::vector<double>& start : TypicalStarts(variance_only, Level(scaled))) {
    start.push_back(faixa_nu_arch(m.dist).inicio);
    starts.push_back(std::move(start));
  }
  fit.theta = starts.front();
  fit.LL = log_verossimilhanca_arch(m, scaled, fit.theta);
  const Ascent polished = Highest(m, scaled, starts, kSteps, kMoreRounds);
  fit.polimento_convergiu = polished.converged;
  if (!polished.theta.empty() && !(polished.ll < fit.LL)) {
    fit.theta = polished.theta;
    fit.LL = polished.ll;
    fit.polido = true;
  }
  return fit;
}
} // namespace

AjusteArch ajusta_arch(const EspecArch& m, const std::vector<double>& e,
                       const std::shared_ptr<MemoriaPolimentoArch>& memoria) {
  const int k = escala_arch(e);
  const std::vector<double> scaled = serie_escalada_arch(e, k);
  const auto memory = memoria ? memoria : memoria_polimento_arch();
  AjusteArch fit = m.tem_nu() ? FitWithNu(m, scaled, *memory) : GaussianFit(m, scaled, *memory);
  if (fit.resultado != 0 && !e.empty())
    desfaz_escala_arch(m.modelo, m.q, m.r, m.p, k, e.size(), fit.theta, fit.LL);
  return fit;
}
