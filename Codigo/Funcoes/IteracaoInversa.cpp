#include "IteracaoInversa.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "RayleighRitz.h"
#include "SistemaTridiagonal.h"

using interno::Eigenpair;
using interno::kEps;
using interno::Norm;
using interno::TridiagonalRow;

namespace {
// Start vectors of the inverse iteration: a fixed sequence (an LCG), so that every run gives
// the same vectors on every platform.
struct StartVectors {
  std::uint64_t state = 0x853c49e6748fea9bULL;
  void Fill(std::vector<double>& x) {
    for (double& v : x) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      v = static_cast<double>(state >> 11) * 0x1.0p-52 - 1.0; // in [-1, 1)
    }
  }
};

double RayleighQuotient(const double* d, const double* e, const std::vector<double>& x) {
  const std::size_t m = x.size();
  double num = 0, den = 0;
  for (std::size_t i = 0; i < m; ++i) {
    num += x[i] * TridiagonalRow(d, e, m, 0.0, x.data(), i);
    den += x[i] * x[i];
  }
  return num / den;
}

constexpr int kInverseIterations = 8;
} // namespace

namespace interno {

Resultado<void, FalhaIteracaoInversa> InverseIteration(const double* d, const double* e,
                                                       std::size_t m, std::size_t lo,
                                                       std::vector<double> shifts,
                                                       std::vector<Eigenpair>& pairs) {
  std::sort(shifts.begin(), shifts.end(), std::greater<>());
  double norm = 0;
  for (std::size_t i = 0; i < m; ++i) {
    double row = std::fabs(d[i]);
    if (i > 0) row += std::fabs(e[i - 1]);
    if (i + 1 < m) row += std::fabs(e[i]);
    norm = std::max(norm, row);
  }
  const double cluster_gap = 1e-3 * norm; // eigenvalues closer than this share a cluster
  const double separation = 10 * kEps * norm;
  const double tiny = kEps * norm;
  // A solution this large leaves a residual at the rounding level of the block.
  const double converged = 1 / (4 * std::sqrt(static_cast<double>(m)) * kEps * norm);

  TridiagonalLu lu;
  StartVectors start;
  std::vector<double> x(m), y(m);
  const std::size_t first = pairs.size(); // this block's vectors are pairs[first ..]
  std::vector<std::size_t> near;          // those within cluster_gap of the current shift
  double previous_sigma = 0;
  for (std::size_t j = 0; j < shifts.size(); ++j) {
    double sigma = shifts[j];
    if (j > 0) {
      // Equal shifts would give the same vector twice: keep them a few roundings apart.
      if (sigma > previous_sigma - separation) sigma = previous_sigma - separation;
    }
    previous_sigma = sigma;
    start.Fill(x);
    double scale = 1 / Norm(x);
    for (double& v : x)
      v *= scale;
    for (int it = 0; it < kInverseIterations; ++it) {
      lu.Factor(d, e, m, sigma, tiny);
      near.clear();
      for (std::size_t c = first; c < pairs.size(); ++c)
        if (std::fabs(pairs[c].value - sigma) <= cluster_gap) near.push_back(c);
      double ny = 0;
      for (int attempt = 0; attempt < 2; ++attempt) {
        y = x;
        if (attempt == 1)
          for (double& v : y)
            v *= 0x1.0p-600;
        lu.Solve(y);
        // Against the vectors already found for eigenvalues within cluster_gap of the shift, a
        // second time when the first pass took away more than half of y. Vectors of eigenvalues
        // further apart come out orthogonal to rounding over the gap without help. (The shift
        // moves with the Rayleigh quotient: in a dense cluster the iteration may settle on
        // another eigenvalue of the cluster than the one it started from, never on one found
        // before.)
        ny = Norm(y);
        for (int pass = 0; pass < 2 && !near.empty(); ++pass) {
          for (std::size_t c : near) {
            const std::vector<double>& v = pairs[c].y;
            double dot = 0;
            for (std::size_t i = 0; i < m; ++i)
              dot += v[i] * y[i];
            for (std::size_t i = 0; i < m; ++i)
              y[i] -= dot * v[i];
          }
          const double before = ny;
          ny = Norm(y);
          if (ny >= 0.5 * before) break;
        }
        if (std::isfinite(ny)) break;
      }
      if (!std::isfinite(ny)) return Falhou{FalhaIteracaoInversa::SolucaoNaoFinita};
      if (ny == 0) { // nothing new in this direction: start again elsewhere
        start.Fill(x);
        scale = 1 / Norm(x);
        for (double& v : x)
          v *= scale;
        continue;
      }
      for (std::size_t i = 0; i < m; ++i)
        x[i] = y[i] / ny;
      // |(T - sigma I) x| = 1 / ny: a large solution is an eigenvector to rounding.
      if (it >= 1 && ny >= converged) break;
      sigma = RayleighQuotient(d, e, x);
    }
    pairs.push_back({RayleighQuotient(d, e, x), shifts[j], lo, x});
  }

  // Vectors whose residual |T y - value y| is above the rounding level of the block: a stalled
  // iteration, or a vector that had to be taken apart from neighbours known only up to their
  // tiny gap. Grouped by eigenvalues within cluster_gap of each other, they span what the
  // vectors with small residuals leave of their cluster's invariant subspace.
  const double settled = 8 * std::sqrt(static_cast<double>(m)) * kEps * norm;
  std::vector<Eigenpair*> stalled;
  for (std::size_t c = first; c < pairs.size(); ++c) {
    const std::vector<double>& vector = pairs[c].y;
    double residual = 0;
    for (std::size_t i = 0; i < m; ++i) {
      const double v = TridiagonalRow(d, e, m, pairs[c].value, vector.data(), i);
      residual += v * v;
    }
    if (std::sqrt(residual) > settled) stalled.push_back(&pairs[c]);
  }
  std::sort(stalled.begin(), stalled.end(),
            [](const Eigenpair* a, const Eigenpair* b) { return a->value > b->value; });
  std::vector<Eigenpair*> group;
  for (std::size_t c = 0; c < stalled.size(); ++c) {
    if (!group.empty() && group.back()->value - stalled[c]->value > cluster_gap) {
      SeparateCluster(d, e, m, group);
      group.clear();
    }
    group.push_back(stalled[c]);
  }
  if (!group.empty()) SeparateCluster(d, e, m, group);
  return {};
}

} // namespace interno
