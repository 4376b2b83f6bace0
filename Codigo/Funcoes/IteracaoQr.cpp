#include "IteracaoQr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "Autovalores.h"
#include "AutovaloresInterno.h"

using interno::Block;
using interno::kEps;

namespace interno {

bool Negligible(double e2, double a, double b) {
  const double level = kEps * (std::fabs(a) + std::fabs(b));
  return e2 <= level * level;
}

std::vector<Block> Blocks(const std::vector<double>& e, std::size_t n) {
  std::vector<Block> blocks;
  std::size_t start = 0;
  for (std::size_t k = 0; k + 1 < n; ++k)
    if (e[k] == 0) {
      blocks.push_back({start, k});
      start = k + 1;
    }
  if (n > 0) blocks.push_back({start, n - 1});
  return blocks;
}

} // namespace interno

namespace {
// The state one QR step carries from one element to the next: g_k, p_k = x_k^2, c_{k-1}^2,
// s_{k-1}^2 of the recurrences in IteracaoQr.h.
struct QrWave {
  double g, p, c2, s2;
};

// What a step leaves behind for the convergence test: its largest squared sub-diagonal element.
struct StepSummary {
  double largest = 0;
};

// Where the iteration lets a sub-diagonal element go: at the rounding of its two diagonal
// neighbours, or at kSettled of their size when they stand in decreasing order of magnitude.
// In that order the unshifted step multiplies the element by about |d_k+1 / d_k| <= 1, so it
// would only shrink further, far below the convergence tolerance; what its neighbours lose by
// the cut is of order e^2 / (d_k - d_k+1), and the eigenvalues are refined from their vectors
// afterwards anyway. An element between neighbours in increasing order may yet grow (the
// iteration is still ordering them) and is kept to the rounding level.
constexpr double kSettled = 1e-8;

// A finished sub-diagonal square of a step: counted and, at the end of a group of steps, set to
// 0 where the iteration lets it go. (Deciding every step instead of every few changes nothing
// beyond rounding.)
template <bool kSettle>
inline void Settle(double& e2, double left, double right, StepSummary& summary) {
  if (kSettle) {
    const double size = std::fabs(left) + std::fabs(right);
    const double level = std::fabs(left) >= std::fabs(right) ? kSettled * size : kEps * size;
    if (e2 <= level * level) e2 = 0;
  }
  summary.largest = std::max(summary.largest, e2);
}

// One unshifted QR step at element k < hi of its block: the rotation of rows k, k+1 in the
// root-free form of IteracaoQr.h. With h = p_k a_{k+1} - b_k^2 g_k the recurrences take one
// division per element,
//   g_{k+1} = h / r^2,  s_k^2 = b_k^2 / r^2,  p_{k+1} = g_{k+1}^2 / c_k^2 = h^2 / (p_k r^2),
// all from 1 / (p_k r^2), which keeps the chain from one element to the next short; where
// p_k r^2 is near underflow the divisions are made one by one. A zero b_k (a split) starts the
// next block exactly as a block of its own would start. Writes d[k] and, past the first element
// of the block, the finished e2[k-1].
// The rotation's divisions one by one, for p_k r^2 at the edge of underflow (rare: the matrix is
// scaled to magnitude 1).
void QrRotateSmall(QrWave& w, double bb, double a, double r2, double old_g) {
  const double old_c2 = w.c2;
  w.c2 = w.p / r2;
  w.s2 = bb / r2;
  w.g = w.c2 * a - w.s2 * old_g;
  w.p = w.c2 != 0 ? w.g * w.g / w.c2 : old_c2 * bb;
}

template <bool kSettle>
inline void QrRotate(QrWave& w, double* d, double* e2, std::size_t k, bool first,
                     StepSummary& summary) {
  const double bb = e2[k];
  const double a = d[k + 1];
  const double old_g = w.g, old_s2 = w.s2;
  const double r2 = w.p + bb;
  const double pr = w.p * r2;
  if (bb == 0) {
    w.c2 = 1;
    w.s2 = 0;
    w.g = a;
    w.p = a * a;
  } else if (pr > 1e-280) {
    const double inverse = 1 / pr;
    const double over_r2 = w.p * inverse;
    const double h = w.p * a - bb * old_g;
    w.g = h * over_r2;
    w.s2 = bb * over_r2;
    w.c2 = w.p * over_r2;
    w.p = h * h * inverse;
  } else {
    QrRotateSmall(w, bb, a, r2, old_g);
  }
  d[k] = old_g + (a - w.g);
  if (!first) {
    e2[k - 1] = old_s2 * r2;
    Settle<kSettle>(e2[k - 1], d[k - 1], d[k], summary);
  }
}

// The end of a step on the block ending at hi: d[hi] and the last sub-diagonal square.
template <bool kSettle>
inline void QrFinish(const QrWave& w, double* d, double* e2, std::size_t hi, StepSummary& summary) {
  d[hi] = w.g;
  e2[hi - 1] = w.s2 * w.p;
  Settle<kSettle>(e2[hi - 1], d[hi - 1], d[hi], summary);
}

// S consecutive QR steps on the sequence lo .. hi (hi > lo), as a wavefront: step j works on
// element k while step j - 1 works on element k + 1, whose results it needs. The S chains of
// dependent operations (one division each per element) then run side by side instead of one
// after another; each step does the arithmetic it would do alone.
template <int S>
void QrSteps(double* d, double* e2, std::size_t lo, std::size_t hi, StepSummary* summary) {
  QrWave w[S]{};
  const std::size_t length = hi - lo; // rotations per step; index `length` is the finish
  // Step j at index i of the block: start, rotate or finish. Only the last step of the group
  // lets negligible elements go.
  auto act = [&](int j, std::size_t i) {
    if (i == 0) w[j] = {d[lo], d[lo] * d[lo], 1, 0};
    if (i < length) {
      if (j == S - 1)
        QrRotate<true>(w[j], d, e2, lo + i, i == 0, summary[j]);
      else
        QrRotate<false>(w[j], d, e2, lo + i, i == 0, summary[j]);
    } else if (j == S - 1) {
      QrFinish<true>(w[j], d, e2, hi, summary[j]);
    } else {
      QrFinish<false>(w[j], d, e2, hi, summary[j]);
    }
  };
  // At time t step j is at index t - j.
  const std::size_t s = S, end = length + s;
  if (length < s) { // too short for the steps to run side by side
    for (std::size_t t = 0; t < end; ++t)
      for (std::size_t j = 0; j < s && j <= t; ++j)
        if (t - j <= length) act(static_cast<int>(j), t - j);
    return;
  }
  for (std::size_t t = 0; t < s; ++t) { // the steps set off one after another
    w[t] = {d[lo], d[lo] * d[lo], 1, 0};
    for (std::size_t j = 0; j < t; ++j)
      QrRotate<false>(w[j], d, e2, lo + t - j, false, summary[j]);
    if (t == s - 1)
      QrRotate<true>(w[t], d, e2, lo, true, summary[t]);
    else
      QrRotate<false>(w[t], d, e2, lo, true, summary[t]);
  }
  for (std::size_t t = s; t < length; ++t) { // every step inside the block
    for (std::size_t j = 0; j + 1 < s; ++j)
      QrRotate<false>(w[j], d, e2, lo + t - j, false, summary[j]);
    QrRotate<true>(w[s - 1], d, e2, lo + t - (s - 1), false, summary[s - 1]);
  }
  for (std::size_t t = length; t < end; ++t) // and finish one after another
    for (std::size_t j = t - length; j < s; ++j)
      act(static_cast<int>(j), t - j);
}

// Steps made at a time when far from the step limit, and groups of them between two looks at
// which blocks still have work.
constexpr int kWave = 4;
constexpr int kGroupsPerGather = 16;

// The blocks that still have work, side by side in one sequence with a zero sub-diagonal square
// between neighbours: a step runs through the whole sequence as one, and the zeros keep the
// blocks apart exactly. Many small blocks then cost no more than one long one.
struct Workspace {
  std::vector<double> d, e2;

  void Gather(const std::vector<Block>& active, const std::vector<double>& from_d,
              const std::vector<double>& from_e2) {
    d.clear();
    e2.clear();
    for (const Block& b : active) {
      if (!d.empty()) e2.push_back(0.0);
      d.insert(d.end(), from_d.begin() + static_cast<std::ptrdiff_t>(b.lo),
               from_d.begin() + static_cast<std::ptrdiff_t>(b.hi + 1));
      e2.insert(e2.end(), from_e2.begin() + static_cast<std::ptrdiff_t>(b.lo),
                from_e2.begin() + static_cast<std::ptrdiff_t>(b.hi));
    }
  }

  void Scatter(const std::vector<Block>& active, std::vector<double>& to_d,
               std::vector<double>& to_e2) const {
    std::size_t at = 0;
    for (const Block& b : active) {
      std::copy_n(d.begin() + static_cast<std::ptrdiff_t>(at), b.hi - b.lo + 1,
                  to_d.begin() + static_cast<std::ptrdiff_t>(b.lo));
      std::copy_n(e2.begin() + static_cast<std::ptrdiff_t>(at), b.hi - b.lo,
                  to_e2.begin() + static_cast<std::ptrdiff_t>(b.lo));
      at += b.hi - b.lo + 1;
    }
  }

  // `count` steps; the index of the first step that met the test, or count.
  int Run(int count, double tolerance2) {
    StepSummary summary[kWave];
    if (d.size() >= 2) {
      if (count == kWave)
        QrSteps<kWave>(d.data(), e2.data(), 0, d.size() - 1, summary);
      else
        for (int j = 0; j < count; ++j)
          QrSteps<1>(d.data(), e2.data(), 0, d.size() - 1, summary + j);
    }
    for (int j = 0; j < count; ++j)
      if (summary[j].largest <= tolerance2) return j;
    return count;
  }
};

// The blocks of the sub-diagonal that have a non-zero element left.
std::vector<Block> ActiveBlocks(const std::vector<double>& e2, std::size_t n) {
  std::vector<Block> active;
  std::size_t start = 0;
  for (std::size_t k = 0; k + 1 < n; ++k)
    if (e2[k] == 0) {
      if (k > start) active.push_back({start, k});
      start = k + 1;
    }
  if (n > 0 && n - 1 > start) active.push_back({start, n - 1});
  return active;
}

} // namespace

namespace interno {

Resultado<void, FalhaIteracaoQr> QrIteration(std::vector<double>& d, std::vector<double>& e2,
                                             double tolerance, std::uint64_t& steps) {
  const std::size_t n = d.size();
  const double tolerance2 = tolerance * tolerance;
  Workspace work, saved;
  steps = 0;
  bool converged = false;
  for (bool running = true; running;) {
    const std::vector<Block> active = ActiveBlocks(e2, n);
    work.Gather(active, d, e2);
    for (int group = 0; group < kGroupsPerGather; ++group) {
      const int count = steps + kWave <= kEigenStepLimit ? kWave : 1;
      saved.d = work.d;
      saved.e2 = work.e2;
      const int first = work.Run(count, tolerance2);
      if (first < count - 1) {
        std::swap(work, saved);
        work.Run(first + 1, tolerance2);
      }
      if (first < count) {
        steps += static_cast<std::uint64_t>(first) + 1;
        converged = true;
        running = false;
        break;
      }
      steps += static_cast<std::uint64_t>(count);
      if (steps >= kEigenStepLimit) {
        running = false;
        break;
      }
    }
    work.Scatter(active, d, e2);
  }
  if (!AllFinite(d) || !AllFinite(e2)) return Falhou{FalhaIteracaoQr::NaoFinita};
  if (!converged) return Falhou{FalhaIteracaoQr::LimiteDePassos};
  return {};
}

} // namespace interno
