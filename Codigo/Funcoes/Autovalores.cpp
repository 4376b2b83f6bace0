#include "Autovalores.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <utility>

namespace {
constexpr double kEps = std::numeric_limits<double>::epsilon();

// The reflector of the segment x (length m >= 1), by the rule in the header. u is scaled by
// 1 / max|x_i| (the reflector does not depend on the scale of u), so that neither |x|^2 nor
// |u|^2 can overflow or underflow; beta = 2 / |u|^2 and `image` = -sign(x0) |x| is the only
// non-zero element of the reflected segment. False, with nothing written, when x is all zero.
bool Householder(const double* x, std::size_t m, std::vector<double>& u, double& beta,
                 double& image) {
  double largest = 0;
  for (std::size_t i = 0; i < m; ++i)
    largest = std::max(largest, std::fabs(x[i]));
  if (largest == 0) return false;
  u.resize(m);
  u[0] = x[0] / largest;
  double tail = 0; // sum of u_i^2 for i >= 1
  for (std::size_t i = 1; i < m; ++i) {
    u[i] = x[i] / largest;
    tail += u[i] * u[i];
  }
  const double alpha = std::sqrt(u[0] * u[0] + tail); // |x| / largest
  u[0] = u[0] < 0 ? u[0] - alpha : u[0] + alpha;
  beta = 2 / (u[0] * u[0] + tail);
  image = (x[0] < 0 ? alpha : -alpha) * largest;
  return true;
}

// A square Matriz as one row-major block, and back.
bool Square(const Matriz& a, std::size_t& n) {
  n = Rows(a);
  return std::all_of(a.begin(), a.end(),
                     [n](const std::vector<double>& row) { return row.size() == n; });
}

std::vector<double> Flat(const Matriz& a, std::size_t n) {
  std::vector<double> flat(n * n);
  for (std::size_t i = 0; i < n; ++i)
    std::copy(a[i].begin(), a[i].end(), flat.begin() + static_cast<std::ptrdiff_t>(i * n));
  return flat;
}

Matriz Unflat(const std::vector<double>& flat, std::size_t n) {
  Matriz a(n);
  for (std::size_t i = 0; i < n; ++i)
    a[i].assign(flat.begin() + static_cast<std::ptrdiff_t>(i * n),
                flat.begin() + static_cast<std::ptrdiff_t>((i + 1) * n));
  return a;
}

// a <- (I - beta u u^T) a on rows first .. first+m-1 and columns from .. n-1 (row-major n x n).
void ReflectRows(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                 double beta, std::size_t from, std::vector<double>& work) {
  const std::size_t m = u.size();
  work.assign(n, 0.0);
  double* w = work.data();
  for (std::size_t i = 0; i < m; ++i) {
    const double* row = a + (first + i) * n;
    const double ui = u[i];
#pragma omp simd
    for (std::size_t c = from; c < n; ++c)
      w[c] += ui * row[c];
  }
  for (std::size_t i = 0; i < m; ++i) {
    double* row = a + (first + i) * n;
    const double f = beta * u[i];
#pragma omp simd
    for (std::size_t c = from; c < n; ++c)
      row[c] -= f * w[c];
  }
}

// a <- a (I - beta u u^T) on columns first .. first+m-1, every row.
void ReflectColumns(double* a, std::size_t n, std::size_t first, const std::vector<double>& u,
                    double beta) {
  const std::size_t m = u.size();
  const double* v = u.data();
  for (std::size_t r = 0; r < n; ++r) {
    double* row = a + r * n + first;
    double s = 0;
#pragma omp simd reduction(+ : s)
    for (std::size_t i = 0; i < m; ++i)
      s += row[i] * v[i];
    s *= beta;
#pragma omp simd
    for (std::size_t i = 0; i < m; ++i)
      row[i] -= s * v[i];
  }
}
} // namespace

bool reduz_hessenberg(Matriz A, Matriz& H, Matriz& P) {
  H.clear();
  P.clear();
  std::size_t n;
  if (!Square(A, n)) return false;
  std::vector<double> h = Flat(A, n), p = Flat(Identity(n), n);
  std::vector<double> x, u, work;
  for (std::size_t k = 0; k + 2 < n; ++k) {
    const std::size_t m = n - k - 1;
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = h[(k + 1 + i) * n + k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue;
    ReflectRows(h.data(), n, k + 1, u, beta, k + 1, work);
    // Column k of the reflected rows is known exactly: the image of the segment, then zeros.
    h[(k + 1) * n + k] = image;
    for (std::size_t i = 1; i < m; ++i)
      h[(k + 1 + i) * n + k] = 0;
    ReflectColumns(h.data(), n, k + 1, u, beta);
    ReflectColumns(p.data(), n, k + 1, u, beta);
  }
  H = Unflat(h, n);
  P = Unflat(p, n);
  return true;
}

bool decompoe_qr(Matriz A, Matriz& Q, Matriz& R) {
  Q.clear();
  R.clear();
  std::size_t n;
  if (!Square(A, n)) return false;
  std::vector<double> r = Flat(A, n), q = Flat(Identity(n), n);
  std::vector<double> x, u, work;
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const std::size_t m = n - k;
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = r[(k + i) * n + k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue;
    ReflectRows(r.data(), n, k, u, beta, k + 1, work);
    r[k * n + k] = image;
    for (std::size_t i = 1; i < m; ++i)
      r[(k + i) * n + k] = 0;
    ReflectColumns(q.data(), n, k, u, beta);
  }
  Q = Unflat(q, n);
  R = Unflat(r, n);
  return true;
}

bool convergiu(const Matriz& A, double t) {
  const std::size_t columns = Columns(A);
  for (std::size_t i = 0; i < Rows(A); ++i)
    for (std::size_t j = 0; j < i && j < columns; ++j)
      if (A[i][j] > t || A[i][j] < -t) return false;
  return true;
}

namespace {
// The symmetric matrix reduced to tridiagonal form T = P^T A P: diagonal d, sub-diagonal e, and
// the reflectors whose product is P (step k acts on rows k+1 .. n-1; beta 0 for a skipped step).
struct Tridiagonal {
  std::vector<double> d, e;
  std::vector<std::vector<double>> u;
  std::vector<double> beta;
};

// Householder tridiagonalisation of the symmetric matrix a (row-major n x n, lower triangle read
// and updated). With B the trailing block and the reflector I - beta u u^T, the two-sided
// product is the rank-2 update B <- B - u w^T - w u^T, where p = beta B u and
// w = p - (beta / 2) (u^T p) u.
Tridiagonal Tridiagonalise(std::vector<double>& a, std::size_t n) {
  Tridiagonal t;
  t.d.resize(n);
  t.e.assign(n > 0 ? n - 1 : 0, 0.0);
  t.u.resize(n > 2 ? n - 2 : 0);
  t.beta.assign(t.u.size(), 0.0);
  std::vector<double> x, p;
  for (std::size_t k = 0; k + 2 < n; ++k) {
    const std::size_t m = n - k - 1, first = k + 1;
    t.d[k] = a[k * n + k];
    x.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      x[i] = a[(first + i) * n + k];
    std::vector<double>& u = t.u[k];
    double beta, image;
    if (!Householder(x.data(), m, u, beta, image)) continue; // e_k stays 0
    t.e[k] = image;
    t.beta[k] = beta;

    p.assign(m, 0.0);
    for (std::size_t i = 0; i < m; ++i) {
      const double* row = a.data() + (first + i) * n + first;
      const double ui = u[i];
      double s = 0;
#pragma omp simd reduction(+ : s)
      for (std::size_t j = 0; j < i; ++j) {
        s += row[j] * u[j];
        p[j] += row[j] * ui;
      }
      p[i] += s + row[i] * ui;
    }
    double up = 0;
    for (std::size_t i = 0; i < m; ++i) {
      p[i] *= beta;
      up += u[i] * p[i];
    }
    const double half = 0.5 * beta * up;
    for (std::size_t i = 0; i < m; ++i)
      p[i] -= half * u[i]; // p is now w
    for (std::size_t i = 0; i < m; ++i) {
      double* row = a.data() + (first + i) * n + first;
      const double ui = u[i], wi = p[i];
#pragma omp simd
      for (std::size_t j = 0; j <= i; ++j)
        row[j] -= ui * p[j] + wi * u[j];
    }
  }
  if (n >= 2) {
    t.d[n - 2] = a[(n - 2) * n + n - 2];
    t.e[n - 2] = a[(n - 1) * n + n - 2];
  }
  if (n >= 1) t.d[n - 1] = a[(n - 1) * n + n - 1];
  return t;
}

// Below the rounding of its diagonal neighbours, a sub-diagonal square counts as zero.
bool Negligible(double e2, double a, double b) {
  const double level = kEps * (std::fabs(a) + std::fabs(b));
  return e2 <= level * level;
}

// The state one QR step carries from one element to the next: g_k, p_k = x_k^2, c_{k-1}^2,
// s_{k-1}^2 of the recurrences in the header.
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
// root-free form of the header. With h = p_k a_{k+1} - b_k^2 g_k the recurrences take one
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

struct Block {
  std::size_t lo, hi; // inclusive
};

// The unreduced blocks of a tridiagonal matrix whose negligible sub-diagonal elements are 0.
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

enum class IterationEnd { Converged, StepLimit, NotFinite };

// Steps made at a time when far from the step limit, and groups of them between two looks at
// which blocks still have work.
constexpr int kWave = 4;
constexpr int kGroupsPerGather = 16;

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

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

// The unshifted QR iteration on the whole tridiagonal matrix until every sub-diagonal square is
// at most tolerance^2, tested after every step. Blocks whose sub-diagonal became all zero have
// nothing left to do and are left out (looked for every kGroupsPerGather groups). The steps go
// kWave at a time; when the test is met inside such a group, the group is undone and its first
// steps made again one at a time. The matrix being scaled to magnitude 1, no step can overflow;
// the values are checked once, at the end.
IterationEnd QrIteration(std::vector<double>& d, std::vector<double>& e2, double tolerance,
                         std::uint64_t& steps) {
  const std::size_t n = d.size();
  const double tolerance2 = tolerance * tolerance;
  Workspace work, saved;
  steps = 0;
  IterationEnd end = IterationEnd::StepLimit;
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
        end = IterationEnd::Converged;
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
  if (!AllFinite(d) || !AllFinite(e2)) return IterationEnd::NotFinite;
  return end;
}

// Gaussian elimination with partial pivoting of the tridiagonal T - sigma I (as LAPACK's
// dgttrf lays it out): U has the diagonal dd and two super-diagonals du, du2; L the multipliers
// dl, with `swapped` marking the steps that exchanged two rows. A pivot below `tiny` in size
// is replaced by tiny, so that a shift on an eigenvalue still gives a (huge) solution.
struct TridiagonalLu {
  std::vector<double> dl, dd, du, du2;
  std::vector<double> inverse; // 1 / dd: the back substitution multiplies
  std::vector<char> swapped;

  void Factor(const double* d, const double* e, std::size_t m, double sigma, double tiny) {
    dd.resize(m);
    dl.assign(e, e + (m - 1));
    du.assign(e, e + (m - 1));
    du2.assign(m > 1 ? m - 1 : 0, 0.0);
    swapped.assign(m, 0);
    for (std::size_t i = 0; i < m; ++i)
      dd[i] = d[i] - sigma;
    for (std::size_t i = 0; i + 1 < m; ++i) {
      if (std::fabs(dd[i]) >= std::fabs(dl[i])) {
        if (std::fabs(dd[i]) < tiny) dd[i] = std::copysign(tiny, dd[i]);
        const double f = dl[i] / dd[i];
        dl[i] = f;
        dd[i + 1] -= f * du[i];
      } else {
        const double f = dd[i] / dl[i];
        dd[i] = dl[i];
        dl[i] = f;
        const double upper = du[i];
        du[i] = dd[i + 1];
        dd[i + 1] = upper - f * dd[i + 1];
        if (i + 2 < m) {
          du2[i] = du[i + 1];
          du[i + 1] = -f * du[i + 1];
        }
        swapped[i] = 1;
      }
    }
    if (std::fabs(dd[m - 1]) < tiny) dd[m - 1] = std::copysign(tiny, dd[m - 1]);
    inverse.resize(m);
    for (std::size_t i = 0; i < m; ++i)
      inverse[i] = 1 / dd[i];
  }

  void Solve(std::vector<double>& b) const {
    const std::size_t m = dd.size();
    for (std::size_t i = 0; i + 1 < m; ++i) {
      if (!swapped[i]) {
        b[i + 1] -= dl[i] * b[i];
      } else {
        const double t = b[i];
        b[i] = b[i + 1];
        b[i + 1] = t - dl[i] * b[i];
      }
    }
    b[m - 1] *= inverse[m - 1];
    if (m >= 2) b[m - 2] = (b[m - 2] - du[m - 2] * b[m - 1]) * inverse[m - 2];
    for (std::size_t i = m - 2; i-- > 0;)
      b[i] = (b[i] - du[i] * b[i + 1] - du2[i] * b[i + 2]) * inverse[i];
  }
};

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

double Norm(const std::vector<double>& x) {
  double s = 0;
  for (double v : x)
    s += v * v;
  return std::sqrt(s);
}

double RayleighQuotient(const double* d, const double* e, const std::vector<double>& x) {
  const std::size_t m = x.size();
  double num = 0, den = 0;
  for (std::size_t i = 0; i < m; ++i) {
    double tx = d[i] * x[i];
    if (i > 0) tx += e[i - 1] * x[i - 1];
    if (i + 1 < m) tx += e[i] * x[i + 1];
    num += x[i] * tx;
    den += x[i] * x[i];
  }
  return num / den;
}

struct Eigenpair {
  double value;    // the Rayleigh quotient of the vector
  double diagonal; // the value the QR iteration converged to
  std::size_t lo;  // first row of the block the vector lives in
  std::vector<double> y;
};

constexpr int kInverseIterations = 8;

// Eigenvalues and vectors of a small symmetric matrix h (k x k, row-major) by cyclic Jacobi
// rotations: h becomes diagonal and w accumulates the rotations (h_initial = w h_final w^T).
void Jacobi(std::vector<double>& h, std::vector<double>& w, std::size_t k) {
  w.assign(k * k, 0.0);
  for (std::size_t i = 0; i < k; ++i)
    w[i * k + i] = 1;
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = 0, all = 0;
    for (std::size_t i = 0; i < k; ++i)
      for (std::size_t j = 0; j < k; ++j) {
        all += h[i * k + j] * h[i * k + j];
        if (i != j) off += h[i * k + j] * h[i * k + j];
      }
    if (off <= kEps * kEps * all) return;
    for (std::size_t p = 0; p + 1 < k; ++p)
      for (std::size_t q = p + 1; q < k; ++q) {
        const double apq = h[p * k + q];
        if (apq == 0) continue;
        // The angle that zeroes h(p, q): tan t = sign(theta) / (|theta| + sqrt(theta^2 + 1)).
        const double theta = (h[q * k + q] - h[p * k + p]) / (2 * apq);
        const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (std::size_t r = 0; r < k; ++r) { // columns p, q
          const double hp = h[r * k + p], hq = h[r * k + q];
          h[r * k + p] = c * hp - s * hq;
          h[r * k + q] = s * hp + c * hq;
        }
        for (std::size_t r = 0; r < k; ++r) { // rows p, q
          const double hp = h[p * k + r], hq = h[q * k + r];
          h[p * k + r] = c * hp - s * hq;
          h[q * k + r] = s * hp + c * hq;
        }
        for (std::size_t r = 0; r < k; ++r) {
          const double wp = w[r * k + p], wq = w[r * k + q];
          w[r * k + p] = c * wp - s * wq;
          w[r * k + q] = s * wp + c * wq;
        }
      }
  }
}

// Vectors of a tight cluster whose inverse iteration stalled (the Rayleigh quotient of an even
// mixture of two eigenvectors sits between their eigenvalues and stays there) still span the
// cluster's invariant subspace. The Rayleigh-Ritz step separates them: with Y the vectors,
// made orthonormal, the eigenvectors of Y^T T Y give the combinations that are eigenvectors of T.
void SeparateCluster(const double* d, const double* e, std::size_t m,
                     std::vector<Eigenpair*>& group) {
  const std::size_t k = group.size();
  for (std::size_t a = 0; a < k; ++a) { // modified Gram-Schmidt, twice
    std::vector<double>& ya = group[a]->y;
    for (int pass = 0; pass < 2; ++pass)
      for (std::size_t b = 0; b < a; ++b) {
        const std::vector<double>& yb = group[b]->y;
        double dot = 0;
        for (std::size_t i = 0; i < m; ++i)
          dot += ya[i] * yb[i];
        for (std::size_t i = 0; i < m; ++i)
          ya[i] -= dot * yb[i];
      }
    const double norm = Norm(ya);
    for (double& v : ya)
      v /= norm;
  }
  std::vector<std::vector<double>> ty(k, std::vector<double>(m));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t i = 0; i < m; ++i) {
      const std::vector<double>& y = group[a]->y;
      double v = d[i] * y[i];
      if (i > 0) v += e[i - 1] * y[i - 1];
      if (i + 1 < m) v += e[i] * y[i + 1];
      ty[a][i] = v;
    }
  std::vector<double> h(k * k), w;
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b) {
      double dot = 0;
      for (std::size_t i = 0; i < m; ++i)
        dot += group[a]->y[i] * ty[b][i];
      h[a * k + b] = dot;
    }
  for (std::size_t a = 0; a < k; ++a) // symmetric to rounding; make it exactly so
    for (std::size_t b = 0; b < a; ++b)
      h[a * k + b] = h[b * k + a] = 0.5 * (h[a * k + b] + h[b * k + a]);
  Jacobi(h, w, k);
  std::vector<std::vector<double>> rotated(k, std::vector<double>(m, 0.0));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b)
      for (std::size_t i = 0; i < m; ++i)
        rotated[b][i] += group[a]->y[i] * w[a * k + b];
  for (std::size_t b = 0; b < k; ++b) {
    group[b]->y = std::move(rotated[b]);
    group[b]->value = h[b * k + b];
  }
}

// Eigenvectors of the unreduced block (d, e) of order m >= 2, one per converged diagonal value,
// appended to `pairs`. False when a solution overflows even from a tiny right-hand side.
bool InverseIteration(const double* d, const double* e, std::size_t m, std::size_t lo,
                      std::vector<double> shifts, std::vector<Eigenpair>& pairs) {
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
      if (!std::isfinite(ny)) return false;
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
    const std::vector<double>& y = pairs[c].y;
    double residual = 0;
    for (std::size_t i = 0; i < m; ++i) {
      double v = (d[i] - pairs[c].value) * y[i];
      if (i > 0) v += e[i - 1] * y[i - 1];
      if (i + 1 < m) v += e[i] * y[i + 1];
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
  return true;
}

} // namespace

bool autovalores(Matriz A, std::vector<double>& lambda, Matriz& V) {
  EigenReport report;
  return autovalores(std::move(A), lambda, V, report);
}

bool autovalores(Matriz A, std::vector<double>& lambda, Matriz& V, EigenReport& report) {
  lambda.clear();
  V.clear();
  report = EigenReport{};
  std::size_t n;
  if (!Square(A, n) || n == 0) {
    report.outcome = EigenOutcome::NotSquare;
    return false;
  }
  // The mean of A and A^T, scaled by a power of 2 (exact) to magnitude 1, so that squares of
  // elements neither overflow nor underflow whatever the units of the data.
  std::vector<double> a(n * n);
  double largest = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      a[i * n + j] = 0.5 * A[i][j] + 0.5 * A[j][i];
      largest = std::max(largest, std::fabs(a[i * n + j]));
    }
  if (!std::isfinite(largest) || !AllFinite(a)) {
    report.outcome = EigenOutcome::NotFinite;
    return false;
  }
  int exponent = 0;
  if (largest > 0) std::frexp(largest, &exponent);
  for (double& v : a)
    v = std::ldexp(v, -exponent);

  Tridiagonal t = Tridiagonalise(a, n);
  std::vector<double> e = t.e;
  for (std::size_t k = 0; k + 1 < n; ++k)
    if (Negligible(e[k] * e[k], t.d[k], t.d[k + 1])) e[k] = 0;
  const std::vector<Block> blocks = Blocks(e, n);

  double trace = 0;
  for (double v : t.d)
    trace += v;
  const double tolerance = kEigenTolerance * std::fabs(trace) / static_cast<double>(n);
  std::vector<double> d = t.d, e2(e.size());
  for (std::size_t k = 0; k < e.size(); ++k)
    e2[k] = e[k] * e[k];
  switch (QrIteration(d, e2, tolerance, report.qr_steps)) {
  case IterationEnd::Converged: break;
  case IterationEnd::StepLimit: report.outcome = EigenOutcome::NoConvergence; return false;
  case IterationEnd::NotFinite: report.outcome = EigenOutcome::NotFinite; return false;
  }

  // Eigenvectors of T block by block: the QR steps never mix the blocks, so the values on the
  // diagonal of a block are the eigenvalues of that block.
  std::vector<Eigenpair> pairs;
  pairs.reserve(n);
  for (const Block& b : blocks) {
    if (b.hi == b.lo) {
      pairs.push_back({t.d[b.lo], d[b.lo], b.lo, {1.0}});
      continue;
    }
    const std::vector<double> shifts(d.begin() + static_cast<std::ptrdiff_t>(b.lo),
                                     d.begin() + static_cast<std::ptrdiff_t>(b.hi + 1));
    if (!InverseIteration(t.d.data() + b.lo, e.data() + b.lo, b.hi - b.lo + 1, b.lo, shifts,
                          pairs)) {
      report.outcome = EigenOutcome::NotFinite;
      return false;
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Eigenpair& x, const Eigenpair& y) { return x.value > y.value; });

  lambda.resize(n);
  report.qr_diagonal.resize(n);
  for (std::size_t c = 0; c < n; ++c) {
    lambda[c] = std::ldexp(pairs[c].value, exponent);
    report.qr_diagonal[c] = std::ldexp(pairs[c].diagonal, exponent);
  }
  if (std::any_of(lambda.begin(), lambda.end(), [](double v) { return v < 0; })) {
    report.outcome = EigenOutcome::NegativeEigenvalue;
    return true;
  }

  // V = P Y: the reflectors applied to Y from the last to the first.
  std::vector<double> y(n * n, 0.0), work;
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t i = 0; i < pairs[c].y.size(); ++i)
      y[(pairs[c].lo + i) * n + c] = pairs[c].y[i];
  for (std::size_t k = t.u.size(); k-- > 0;)
    if (t.beta[k] != 0) ReflectRows(y.data(), n, k + 1, t.u[k], t.beta[k], 0, work);

  V.assign(n, std::vector<double>(n, 0.0));
  for (std::size_t c = 0; c < n; ++c) {
    double squares = 0, sum = 0;
    for (std::size_t r = 0; r < n; ++r) {
      squares += y[r * n + c] * y[r * n + c];
      sum += y[r * n + c];
    }
    const double scale = (sum <= 0 ? -1 : 1) / std::sqrt(squares);
    for (std::size_t r = 0; r < n; ++r)
      V[r][c] = y[r * n + c] * scale;
  }
  report.outcome = EigenOutcome::Done;
  return true;
}
