// The ARCH-family log-likelihood, for one parameter vector or several at once. Each vector is a
// chain: its variance recursion and its sums run in one pass over the series, and the chains of a
// batch run interleaved, so that the latency of one recursion hides behind the others. A chain
// does exactly the operations of a single evaluation, in the same order, so a batch gives every
// vector the value it has alone, to the last bit.
#include "ArchVerossimilhanca.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numbers>
#include <type_traits>
#include <utility>

#include "EstatisticasArch.h"

namespace {
constexpr double kDelta = kDeltaArch;
// The most chains one pass interleaves; larger batches run in groups.
constexpr int kMaxChains = 4;
// ln h is summed as the logarithm of products of this many mantissas in [1, 2) (the product
// stays below 2^32) plus the binary exponents times ln 2.
constexpr std::size_t kLogBlock = 32;

// The orders (q, r, p) of the small models, known when compiling so that the lag loops unroll
// and the coefficients stay in registers, and of any other, known when running.
template <int Q, int R, int P> struct FixedOrders { static constexpr int q = Q, r = R, p = P; };
struct RuntimeOrders {
  int q, r, p;
};

using Series = VerossimilhancaArch::Series;

// mean(e^2), which the GARCH family needs only outside the stationary region.
double MeanSquareOf(const Series& s) {
  if (s.has_mean_square) return s.mean_square;
  double sum = 0;
  for (std::size_t t = 0; t < s.n; ++t)
    sum += s.e[t] * s.e[t];
  return sum / static_cast<double>(s.n);
}

// mask ? x : y, all bits or none, without a branch: the sign of the returns is not predictable.
double Select(std::uint64_t mask, double x, double y) {
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(x) & mask) |
                               (std::bit_cast<std::uint64_t>(y) & ~mask));
}

double Gaussian(std::size_t n, double quad, double sum_log) {
  const double two_pi = 2 * std::numbers::pi;
  return -0.5 * static_cast<double>(n) * std::log(two_pi) - 0.5 * (quad + sum_log);
}

using Chains = const std::vector<double>* const*;

// The coefficients of K chains, laid out [lag][chain] so that the chains of one lag sit together.
template <int K> struct Coefficients {
  double omega[K];
  std::vector<double> alpha, gamma, beta;

  template <class O>
  Coefficients(O o, Chains theta)
      : alpha(static_cast<std::size_t>(o.q) * K), gamma(static_cast<std::size_t>(o.r) * K),
        beta(static_cast<std::size_t>(o.p) * K) {
    for (int c = 0; c < K; ++c) {
      const std::vector<double>& th = *theta[c];
      omega[c] = th[0];
      for (int i = 1; i <= o.q; ++i)
        alpha[(i - 1) * K + c] = th[i];
      for (int i = 1; i <= o.r; ++i)
        gamma[(i - 1) * K + c] = th[o.q + i];
      for (int j = 1; j <= o.p; ++j)
        beta[(j - 1) * K + c] = th[o.q + o.r + j];
    }
  }
  double a(int i, int c) const { return alpha[(i - 1) * K + c]; }
  double g(int i, int c) const { return gamma[(i - 1) * K + c]; }
  double b(int j, int c) const { return beta[(j - 1) * K + c]; }
};

// ARCH, GARCH, IGARCH and GJR: h(t) of every chain, step by step, with e^2/h and ln h (as
// products of mantissas and a sum of binary exponents) summed alongside. h(t-1) stays in a
// register: it is on the critical path of the recursion.
template <int K, class O>
void VarianceLikelihoods(ModeloArch model, const Series& s, O o, Chains theta, double* ll) {
  constexpr std::uint64_t kMantissa = 0x000FFFFFFFFFFFFFull, kOne = 0x3FF0000000000000ull;
  const Coefficients<K> co(o, theta);
  double h0[K];
  for (int c = 0; c < K; ++c) {
    double sum = 0;
    for (int i = 1; i <= o.q; ++i)
      sum += co.a(i, c);
    for (int j = 1; j <= o.p; ++j)
      sum += co.b(j, c);
    if (model == ModeloArch::Gjr || !(1 - 2 * kDelta * (o.q + o.p) > sum))
      h0[c] = MeanSquareOf(s);
    else
      h0[c] = co.omega[c] / (1 - sum);
  }

  const auto h = std::make_unique_for_overwrite<double[]>(s.n * K); // h[t K + c]
  double prev[K] = {};
  // The first steps, whose lags may fall before the series and take h0.
  auto start_step = [&](std::size_t t, double* v) {
    for (int c = 0; c < K; ++c) {
      v[c] = co.omega[c];
      for (int i = 1; i <= o.q; ++i) {
        const bool inside = t >= static_cast<std::size_t>(i);
        const double x = inside ? s.e[t - i] : 0.0;
        const double shock = inside ? x * x : h0[c];
        v[c] += co.a(i, c) * shock;
        if (i <= o.r && (!inside || x < 0)) v[c] += co.g(i, c) * shock;
      }
      for (int j = 1; j <= o.p; ++j)
        v[c] += co.b(j, c) * (t >= static_cast<std::size_t>(j) ? h[(t - j) * K + c] : h0[c]);
    }
  };
  auto step = [&](std::size_t t, double* v) {
    for (int c = 0; c < K; ++c)
      v[c] = co.omega[c];
    for (int i = 1; i <= o.q; ++i) {
      const double shock = s.e2[t - i];
      for (int c = 0; c < K; ++c)
        v[c] += co.a(i, c) * shock;
      if (i <= o.r)
        for (int c = 0; c < K; ++c)
          v[c] = Select(s.bad[t - i], v[c] + co.g(i, c) * shock, v[c]);
    }
    if (o.p >= 1)
      for (int c = 0; c < K; ++c)
        v[c] += co.b(1, c) * prev[c];
    for (int j = 2; j <= o.p; ++j)
      for (int c = 0; c < K; ++c)
        v[c] += co.b(j, c) * h[(t - j) * K + c];
  };

  const std::size_t warm = static_cast<std::size_t>(std::max(o.q, o.p));
  double quad[K] = {}, logs[K] = {};
  std::int64_t exponents[K] = {};
  bool abnormal[K] = {};
  for (std::size_t begin = 0; begin < s.n; begin += kLogBlock) {
    const std::size_t end = std::min(begin + kLogBlock, s.n);
    double product[K];
    for (int c = 0; c < K; ++c)
      product[c] = 1;
    for (std::size_t t = begin; t < end; ++t) {
      double v[K];
      if (t < warm)
        start_step(t, v);
      else
        step(t, v);
      for (int c = 0; c < K; ++c) {
        h[t * K + c] = prev[c] = v[c];
        quad[c] += s.e2[t] / v[c];
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(v[c]);
        // The sign and the biased exponent: 1 .. 2046 for a positive normal number.
        const std::uint64_t head = bits >> 52;
        abnormal[c] |= head - 1 >= 2046;
        exponents[c] += static_cast<std::int64_t>(head) - 1023;
        product[c] *= std::bit_cast<double>((bits & kMantissa) | kOne);
      }
    }
    for (int c = 0; c < K; ++c)
      logs[c] += std::log(product[c]);
  }

  for (int c = 0; c < K; ++c) {
    double sum_log;
    if (!abnormal[c]) {
      sum_log = logs[c] + static_cast<double>(exponents[c]) * std::numbers::ln2;
    } else { // outside the admissible region: whatever the arithmetic gives
      sum_log = 0;
      for (std::size_t t = 0; t < s.n; ++t)
        sum_log += std::log(h[t * K + c]);
    }
    ll[c] = Gaussian(s.n, quad[c], sum_log);
  }
}

// EGARCH: the recursion needs 1/sqrt(h(t)) = exp(-ln h(t)/2), one exponential per step on the
// critical path; the likelihood takes e^2/h as (e exp(-ln h/2))^2 and ln h as it comes. Little
// is kept in registers across the calls of exp: the steps of a block store ln h and 1/sqrt(h),
// and the sums then run over the block.
template <int K, class O> void EgarchLikelihoods(const Series& s, O o, Chains theta, double* ll) {
  const Coefficients<K> co(o, theta);
  const double ln_h0 = std::log(s.mean_square);
  // [t K + c]
  const auto ln_h = std::make_unique_for_overwrite<double[]>(s.n * K);
  const auto inv_sqrt = std::make_unique_for_overwrite<double[]>(s.n * K);
  double last_is[K] = {}; // 1/sqrt(h(t-1)), on the critical path
  // One step; before the lag i (or j) is inside the series it takes its start value.
  auto step = [&](std::size_t t, double* v, auto all_inside) {
    for (int c = 0; c < K; ++c)
      v[c] = co.omega[c];
    for (int i = 1; i <= o.q; ++i) {
      const bool inside = all_inside || t >= static_cast<std::size_t>(i);
      const double x = inside ? s.e[t - i] : 0.0;
      for (int c = 0; c < K; ++c) {
        const double a = co.a(i, c), g = i <= o.r ? co.g(i, c) : 0.0;
        if (inside)
          v[c] += a * (std::fabs(x) + g * x) * (i == 1 ? last_is[c] : inv_sqrt[(t - i) * K + c]);
        else
          v[c] += a * (1 + g);
      }
    }
    for (int j = 1; j <= o.p; ++j) {
      const bool inside = all_inside || t >= static_cast<std::size_t>(j);
      for (int c = 0; c < K; ++c)
        v[c] += co.b(j, c) * (inside ? ln_h[(t - j) * K + c] : ln_h0);
    }
  };

  const std::size_t warm = static_cast<std::size_t>(std::max(o.q, o.p));
  double quad[K] = {}, sum_log[K] = {};
  bool underflow[K] = {};
  int alive = K;
  for (std::size_t begin = 0; begin < s.n && alive > 0; begin += kLogBlock) {
    const std::size_t end = std::min(begin + kLogBlock, s.n);
    for (std::size_t t = begin; t < end; ++t) {
      double v[K];
      if (t < warm)
        step(t, v, std::false_type{});
      else
        step(t, v, std::true_type{});
      for (int c = 0; c < K; ++c) {
        ln_h[t * K + c] = v[c];
        if (v[c] < -700 && !underflow[c] && std::exp(v[c]) == 0) { // h(t) underflows to 0
          underflow[c] = true;
          --alive;
        }
      }
      // The exponentials of the chains one after the other, so that they overlap.
#pragma GCC unroll 4
      for (int c = 0; c < K; ++c)
        inv_sqrt[t * K + c] = last_is[c] = std::exp(-0.5 * v[c]);
    }
    for (std::size_t t = begin; t < end; ++t)
      for (int c = 0; c < K; ++c) {
        const double z = s.e[t] * inv_sqrt[t * K + c];
        quad[c] += z * z;
        sum_log[c] += ln_h[t * K + c];
      }
  }
  for (int c = 0; c < K; ++c)
    ll[c] = underflow[c] ? kSentinelaArch : Gaussian(s.n, quad[c], sum_log[c]);
}

template <int K, class O>
void Likelihoods(ModeloArch model, const Series& s, O o, Chains theta, double* ll) {
  if (model == ModeloArch::Egarch)
    EgarchLikelihoods<K>(s, o, theta, ll);
  else
    VarianceLikelihoods<K>(model, s, o, theta, ll);
}

// The orders with q, p <= 2 and r = 0 or q run on kernels compiled for them.
constexpr int kFixedMax = 2;
template <int K, std::size_t... I>
bool FixedLikelihoods(ModeloArch model, const Series& s, RuntimeOrders o, Chains theta, double* ll,
                      std::index_sequence<I...>) {
  constexpr int kSpan = kFixedMax + 1;
  auto try_one = [&]<std::size_t N>(std::integral_constant<std::size_t, N>) {
    constexpr int q = static_cast<int>(N) % kSpan, p = static_cast<int>(N) / kSpan % kSpan;
    constexpr int r = N / (kSpan * kSpan) ? q : 0;
    if (o.q != q || o.r != r || o.p != p) return false;
    Likelihoods<K>(model, s, FixedOrders<q, r, p>{}, theta, ll);
    return true;
  };
  return (try_one(std::integral_constant<std::size_t, I>{}) || ...);
}

template <int K>
void Group(ModeloArch model, const Series& s, RuntimeOrders o, Chains theta, double* ll) {
  constexpr std::size_t kCombinations = 2 * (kFixedMax + 1) * (kFixedMax + 1);
  if (!FixedLikelihoods<K>(model, s, o, theta, ll, std::make_index_sequence<kCombinations>{}))
    Likelihoods<K>(model, s, o, theta, ll);
}

} // namespace

VerossimilhancaArch::VerossimilhancaArch(ModeloArch modelo, int q, int r, int p,
                                         const std::vector<double>& e)
    : modelo_(modelo), q_(q), r_(modelo == ModeloArch::Egarch || modelo == ModeloArch::Gjr ? r : 0),
      p_(p), serie_{e.size(), e.data(), {}, {}, false, 0} {
  if (modelo != ModeloArch::Egarch) {
    serie_.e2.resize(e.size());
    for (std::size_t t = 0; t < e.size(); ++t)
      serie_.e2[t] = e[t] * e[t];
  }
  if (modelo == ModeloArch::Gjr) {
    serie_.bad.resize(e.size());
    for (std::size_t t = 0; t < e.size(); ++t)
      serie_.bad[t] = e[t] < 0 ? ~std::uint64_t{0} : 0;
  }
  if (modelo == ModeloArch::Egarch || modelo == ModeloArch::Gjr) {
    serie_.mean_square = media_quadratica_arch(e);
    serie_.has_mean_square = true;
  }
}

void VerossimilhancaArch::operator()(const std::vector<double>* const* thetas, std::size_t count,
                                     double* ll) const {
  const RuntimeOrders o{q_, r_, p_};
  for (std::size_t c = 0; c < count;) {
    switch (std::min<std::size_t>(count - c, kMaxChains)) {
    case 1: Group<1>(modelo_, serie_, o, thetas + c, ll + c), c += 1; break;
    case 2: Group<2>(modelo_, serie_, o, thetas + c, ll + c), c += 2; break;
    case 3: Group<3>(modelo_, serie_, o, thetas + c, ll + c), c += 3; break;
    default: Group<4>(modelo_, serie_, o, thetas + c, ll + c), c += 4;
    }
  }
}

std::vector<double> log_verossimilhancas(ModeloArch modelo, int q, int r, int p,
                                         const std::vector<double>& e,
                                         const std::vector<std::vector<double>>& thetas) {
  std::vector<const std::vector<double>*> pointers;
  for (const auto& theta : thetas)
    pointers.push_back(&theta);
  std::vector<double> ll(thetas.size());
  VerossimilhancaArch(modelo, q, r, p, e)(pointers.data(), pointers.size(), ll.data());
  return ll;
}

double log_verossimilhanca(ModeloArch modelo, int q, int r, int p, const std::vector<double>& e,
                           const std::vector<double>& theta) {
  const std::vector<double>* one = &theta;
  double ll;
  VerossimilhancaArch(modelo, q, r, p, e)(&one, 1, &ll);
  return ll;
}

int escala_arch(const std::vector<double>& e) {
  const double ms = media_quadratica_arch(e);
  if (!(ms > 0) || !std::isfinite(ms)) return 0;
  return static_cast<int>(std::lround(-std::log10(ms) / 2));
}
