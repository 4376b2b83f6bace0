// The maximiser of the ARCH-family likelihood: a coordinate-wise pattern search with decimal
// step acceleration. Its next trial point depends only on whether the current one improves, so
// the likelihoods of the current trial and of both possible next trials can be computed in one
// batch (whose interleaved recursions cost little more than one) and the search then replayed
// on them: it takes exactly the decisions it would take evaluating one point at a time.
#include "ArchModelos.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <numbers>

#include "ArchVerossimilhanca.h"

namespace {
constexpr double kDelta = kDeltaArch;
constexpr long kIterationLimit = 100000;

// The state of the search between passes, and the step of the pass under way.
struct State {
  std::vector<double> theta;
  double S = 0; // sum(theta(1..n)), kept for ARCH and GARCH
  int k = 0, d = 1, partner = -1, parado = 0;
  long m = 1;
  bool primeiro = true, reduzido = false;
  double step = 0;
};

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::bit_cast<std::uint64_t>(a[i]) != std::bit_cast<std::uint64_t>(b[i])) return false;
  return true;
}

class Search {
public:
  Search(ModeloArch model, int q, int r, int p, const std::vector<double>& e, DiagnosticoArch& diag)
      : model_(model), q_(q), r_(r), p_(p),
        n_(model == ModeloArch::Egarch || model == ModeloArch::Gjr ? q + r + p : q + p),
        sum_bounded_(model == ModeloArch::Arch || model == ModeloArch::Garch),
        likelihood_(model, q, r, p, e), diag_(diag) {}

  int Run(std::vector<double>& theta, double& best);

private:
  // Starts a pass: moves theta(k) by the step; whether the point is admissible.
  bool Move(State& s) const;
  // Ends a pass; true when every coordinate has been abandoned once in a row.
  bool Conclude(State& s, bool admissible, bool improved) const;
  bool GjrPairOk(const State& s) const;
  // The IGARCH move of theta(k), k > 0, with its partner; whether it improves.
  bool IgarchMove(State& s, double& best);

  // The likelihood of s.theta, from the last batch when it was foreseen.
  double Evaluate(const State& s);
  // The trial points of the passes after s, as far as the batch reaches.
  void Foresee(const State& s, std::vector<std::vector<double>>& points) const;

  ModeloArch model_;
  int q_, r_, p_, n_;
  bool sum_bounded_;
  VerossimilhancaArch likelihood_;
  DiagnosticoArch& diag_;
  struct Foreseen {
    std::vector<double> theta;
    double ll;
    bool used;
  };
  std::vector<Foreseen> batch_;
};

// How many points one batch evaluates. EGARCH's recursion waits on an exponential at every step,
// so the current trial and both next ones cost little more than one; the other recursions keep
// the processor busy enough that a batch saves next to nothing.
int BatchSize(ModeloArch model) {
  return model == ModeloArch::Egarch ? 3 : 1;
}

bool Search::GjrPairOk(const State& s) const {
  int i = 0;
  if (s.k >= 1 && s.k <= q_)
    i = s.k;
  else if (s.k > q_ && s.k <= q_ + r_)
    i = s.k - q_;
  if (i == 0 || i > r_) return true;
  return s.theta[static_cast<std::size_t>(i)] + s.theta[static_cast<std::size_t>(q_ + i)] >= kDelta;
}

bool Search::Move(State& s) const {
  const std::size_t k = static_cast<std::size_t>(s.k);
  s.step = s.d * kDelta * static_cast<double>(s.m);
  s.theta[k] += s.step;
  if (sum_bounded_ && k > 0) s.S += s.step;
  switch (model_) {
  case ModeloArch::Arch:
  case ModeloArch::Garch: return s.theta[k] >= kDelta && s.S <= 1 - kDelta;
  case ModeloArch::Igarch: return s.theta[k] >= kDelta;
  case ModeloArch::Egarch: return true;
  default: {
    const bool is_gamma = s.k > q_ && s.k <= q_ + r_;
    return (is_gamma || s.theta[k] >= kDelta) && GjrPairOk(s);
  }
  }
}

bool Search::Conclude(State& s, bool admissible, bool improved) const {
  bool next_coordinate = false;
  if (improved) {
    s.parado = 0;
    s.primeiro = false;
    if (!s.reduzido && s.m < static_cast<long>(0.1 / kDelta)) s.m *= 10;
  } else {
    s.theta[static_cast<std::size_t>(s.k)] -= s.step;
    if (sum_bounded_ && s.k > 0) s.S -= s.step;
    if (s.primeiro) {
      s.primeiro = false;
      s.d = -s.d;
      s.reduzido = false;
    } else {
      s.m /= 10;
      s.reduzido = true;
      // After a trial that was evaluated (and, for IGARCH, any trial) the size 1 turns the
      // direction once more.
      if (s.m == 1 && (admissible || model_ == ModeloArch::Igarch)) s.primeiro = true;
      if (s.m == 0) next_coordinate = true;
    }
  }
  if (!next_coordinate) return false;
  s.m = 1;
  s.reduzido = false;
  s.k = s.k + 1 > n_ ? 0 : s.k + 1;
  s.d = 1;
  s.primeiro = true;
  s.partner = -1;
  ++s.parado;
  return s.parado > n_;
}

bool Search::IgarchMove(State& s, double& best) {
  std::vector<double>& theta = s.theta;
  if (s.partner >= 0) {
    const std::size_t j = static_cast<std::size_t>(s.partner);
    theta[j] -= s.step;
    if (theta[j] >= kDelta) {
      const double L = Evaluate(s);
      if (L > best) {
        best = L;
        return true;
      }
    }
    theta[j] += s.step;
    return false;
  }
  for (int j = 1; j <= q_ + p_; ++j) {
    if (j == s.k) continue;
    const std::size_t u = static_cast<std::size_t>(j);
    theta[u] -= s.step;
    if (theta[u] >= kDelta) {
      const double L = Evaluate(s);
      if (L > best) {
        best = L;
        s.partner = j;
      }
    }
    theta[u] += s.step;
  }
  if (s.partner < 0) return false;
  theta[static_cast<std::size_t>(s.partner)] -= s.step;
  return true;
}

int Search::Run(std::vector<double>& theta, double& best) {
  State s;
  s.theta = theta;
  s.S = n_ * kDelta;
  best = Evaluate(s);
  long iteration = 0;
  bool stopped = false;
  while (iteration < kIterationLimit && !stopped) {
    ++iteration;
    const bool admissible = Move(s);
    bool improved = false;
    if (admissible) {
      if (model_ == ModeloArch::Igarch && s.k > 0) {
        improved = IgarchMove(s, best);
      } else {
        const double L = Evaluate(s);
        if (L > best) {
          best = L;
          improved = true;
        }
      }
    }
    stopped = Conclude(s, admissible, improved);
  }
  for (const Foreseen& f : batch_)
    diag_.especulativas += !f.used;
  theta = s.theta;
  diag_.iteracoes = iteration;
  return stopped ? 1 : -1;
}

double Search::Evaluate(const State& s) {
  ++diag_.avaliacoes;
  for (Foreseen& f : batch_)
    if (!f.used && SameBits(f.theta, s.theta)) {
      f.used = true;
      return f.ll;
    }
  for (const Foreseen& f : batch_)
    diag_.especulativas += !f.used;
  std::vector<std::vector<double>> points{s.theta};
  // The passes of an IGARCH move depend on the values, not only on their order.
  if (model_ != ModeloArch::Igarch) Foresee(s, points);
  std::vector<const std::vector<double>*> chains;
  for (const auto& point : points)
    chains.push_back(&point);
  std::vector<double> ll(points.size());
  likelihood_(chains.data(), chains.size(), ll.data());
  batch_.clear();
  for (std::size_t c = 0; c < points.size(); ++c)
    batch_.push_back({std::move(points[c]), ll[c], c == 0});
  return ll[0];
}

void Search::Foresee(const State& current, std::vector<std::vector<double>>& points) const {
  const std::size_t size = static_cast<std::size_t>(BatchSize(model_));
  // Breadth first: the states whose trial is in the batch, waiting to be followed.
  std::deque<State> pending{current};
  while (points.size() < size && !pending.empty()) {
    const State from = std::move(pending.front());
    pending.pop_front();
    for (const bool improved : {false, true}) {
      State next = from;
      bool admissible = true, stopped = Conclude(next, true, improved);
      // Inadmissible trials are failures without an evaluation; a few in a row are followed.
      for (int passes = 0; !stopped && passes < 8; ++passes) {
        admissible = Move(next);
        if (admissible) break;
        stopped = Conclude(next, false, false);
      }
      if (stopped || !admissible || points.size() >= size) continue;
      points.push_back(next.theta);
      pending.push_back(std::move(next));
    }
  }
}
} // namespace

std::vector<double> serie_escalada_arch(const std::vector<double>& e, int k) {
  const double ten_k = std::pow(10.0, std::abs(k)); // exact for the scales that occur
  std::vector<double> scaled(e);
  if (k != 0)
    for (double& v : scaled)
      v = k > 0 ? v * ten_k : v / ten_k;
  return scaled;
}

int busca_arch(ModeloArch model, int q, int r, int p, const std::vector<double>& e,
               std::vector<double>& theta, double& LL, DiagnosticoArch* diagnostico) {
  DiagnosticoArch local;
  DiagnosticoArch& diag = diagnostico ? *diagnostico : local;
  diag = DiagnosticoArch{};
  if (model != ModeloArch::Egarch && model != ModeloArch::Gjr) r = 0;
  theta.assign(static_cast<std::size_t>(1 + q + r + p), kDelta);
  const int code = static_cast<int>(model);
  if (code < 0 || code > 4) return 0;
  if (model == ModeloArch::Igarch) theta[1] = 1 - (q + p - 1) * kDelta;
  return Search(model, q, r, p, e, diag).Run(theta, LL);
}

void desfaz_escala_arch(ModeloArch model, int q, int r, int p, int k, std::size_t T,
                        std::vector<double>& theta, double& LL) {
  if (k == 0) return;
  if (model != ModeloArch::Egarch && model != ModeloArch::Gjr) r = 0;
  const double ten_k = std::pow(10.0, std::abs(k));
  const double ln10 = std::numbers::ln10;
  if (model == ModeloArch::Egarch) {
    double beta_sum = 0;
    for (int j = 1; j <= p; ++j)
      beta_sum += theta[static_cast<std::size_t>(q + r + j)];
    theta[0] -= 2 * k * ln10 * (1 - beta_sum);
  } else {
    theta[0] = k > 0 ? theta[0] / (ten_k * ten_k) : theta[0] * (ten_k * ten_k);
  }
  LL += static_cast<double>(T) * k * ln10;
}

int estima_arch(ModeloArch model, int q, int r, int p, const std::vector<double>& e,
                std::vector<double>& theta, double& LL, DiagnosticoArch* diagnostico) {
  const int k = escala_arch(e);
  const int result =
      k == 0 ? busca_arch(model, q, r, p, e, theta, LL, diagnostico)
             : busca_arch(model, q, r, p, serie_escalada_arch(e, k), theta, LL, diagnostico);
  if (diagnostico) diagnostico->escala = k;
  if (result != 0) desfaz_escala_arch(model, q, r, p, k, e.size(), theta, LL);
  return result;
}
