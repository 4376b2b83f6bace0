// The regression and volatility cores on the inputs of their tools: least squares with the
// combined correlations of 16 explanatory variables on 10,000 rows, GARCH(1,1) on the DEM/GBP
// daily returns, the ARCH tool's 34-model search on the DAX returns, and the best-decay search on
// 20,000 observations.
// bench/r_garch.R times R's fGarch and tseries on the same returns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "Funcoes/ArchModelos.h"
#include "Funcoes/MelhorArch.h"
#include "Funcoes/MelhorDecay.h"
#include "Funcoes/Regressao.h"

namespace {
Matriz RegressionData(std::size_t n, std::size_t k) {
  std::mt19937_64 rng(16);
  std::normal_distribution<double> normal;
  Matriz d(n, std::vector<double>(k + 1));
  for (auto& row : d) {
    const double common = normal(rng);
    double y = 1;
    for (std::size_t j = 1; j <= k; ++j) {
      row[j] = 0.5 * common + normal(rng) + 100.0 * j;
      y += 0.1 * j * row[j];
    }
    row[0] = y + normal(rng);
  }
  return d;
}

// The DAX daily log returns ln(P(i+1)/P(i)), from the first column of the closing prices.
std::vector<double> DaxLogReturns() {
  std::ifstream file(std::string(KV_DATA_DIR) + "/eu_stock_markets.csv");
  std::string line;
  std::getline(file, line); // header
  std::vector<double> price, e;
  while (std::getline(file, line))
    price.push_back(std::stod(line.substr(0, line.find(','))));
  for (std::size_t i = 0; i + 1 < price.size(); ++i)
    e.push_back(std::log(price[i + 1] / price[i]));
  return e;
}

std::vector<double> DemGbp() {
  std::ifstream file(std::string(KV_DATA_DIR) + "/dem2gbp.csv");
  std::string line;
  std::getline(file, line); // header
  std::vector<double> e;
  while (std::getline(file, line))
    e.push_back(std::stod(line));
  return e;
}

// What the regression tool computes: the fit, then one combined-correlation list per
// explanatory variable over the other 15.
void BM_RegressionWithCombined(benchmark::State& state) {
  const Matriz d = RegressionData(10000, 16);
  Matriz x(d.size());
  for (std::size_t i = 0; i < d.size(); ++i)
    x[i].assign(d[i].begin() + 1, d[i].end());
  for (auto _ : state) {
    if (!regressao_multipla(d)) state.SkipWithError("fit failed");
    std::size_t entries = 0;
    for (std::size_t j = 0; j < 16; ++j) {
      std::vector<CombinacaoR> lista;
      if (!correlacoes_combinadas(x, j, lista)) state.SkipWithError("combined failed");
      entries += lista.size();
    }
    benchmark::DoNotOptimize(entries);
  }
}
BENCHMARK(BM_RegressionWithCombined)->Unit(benchmark::kMillisecond);

void BM_Regression(benchmark::State& state) {
  const Matriz d = RegressionData(10000, 16);
  for (auto _ : state) {
    benchmark::DoNotOptimize(regressao_multipla(d));
  }
}
BENCHMARK(BM_Regression)->Unit(benchmark::kMillisecond);

// The anchor for the combined correlations: every subset refitted from the raw data with the
// general matrix operations (X'X inverted, M = (X'X)^-1 X', b = M y, SSR/SST), on nc columns of
// 10,000 rows; BM_Combined runs ours on the same input.
Matriz CombinedInput(std::size_t nc) {
  const Matriz d = RegressionData(10000, nc);
  Matriz x(d.size());
  for (std::size_t i = 0; i < d.size(); ++i)
    x[i].assign(d[i].begin() + 1, d[i].end());
  return x;
}

void BM_CombinedLiteralRefit(benchmark::State& state) {
  const std::size_t nc = static_cast<std::size_t>(state.range(0));
  const Matriz a = CombinedInput(nc);
  const std::size_t n = a.size(), ycol = 0;
  for (auto _ : state) {
    double total = 0;
    for (std::size_t mask = 1; mask < (std::size_t{1} << (nc - 1)); ++mask) {
      Matriz x(n), xt, xtx, inv, m;
      double ybar = 0;
      for (std::size_t r = 0; r < n; ++r) {
        x[r].push_back(1.0);
        for (std::size_t p = 0; p + 1 < nc; ++p)
          if (mask >> p & 1) x[r].push_back(a[r][p + 1]);
        ybar += a[r][ycol];
      }
      ybar /= static_cast<double>(n);
      transpoe(x, xt);
      multiplica(xt, x, xtx);
      if (inverte(xtx, inv) != 1) state.SkipWithError("singular");
      multiplica(inv, xt, m);
      std::vector<double> b(Rows(m), 0.0);
      for (std::size_t i = 0; i < Rows(m); ++i)
        for (std::size_t r = 0; r < n; ++r)
          b[i] += m[i][r] * a[r][ycol];
      double sst = 0, ssr = 0;
      for (std::size_t r = 0; r < n; ++r) {
        double fit = 0;
        for (std::size_t i = 0; i < b.size(); ++i)
          fit += x[r][i] * b[i];
        sst += (a[r][ycol] - ybar) * (a[r][ycol] - ybar);
        ssr += (fit - ybar) * (fit - ybar);
      }
      total += std::sqrt(ssr / sst);
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_CombinedLiteralRefit)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_Combined(benchmark::State& state) {
  const Matriz a = CombinedInput(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::vector<CombinacaoR> lista;
    benchmark::DoNotOptimize(correlacoes_combinadas(a, 0, lista));
  }
}
BENCHMARK(BM_Combined)->Arg(6)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

// The whole estimation; the counters give the evaluations and the cost of each per observation.
void BM_Garch11DemGbp(benchmark::State& state) {
  const auto e = DemGbp();
  DiagnosticoArch diag;
  double ll = 0;
  for (auto _ : state) {
    std::vector<double> theta;
    benchmark::DoNotOptimize(estima_arch(ModeloArch::Garch, 1, 0, 1, e, theta, ll, &diag));
  }
  state.counters["evaluations"] = static_cast<double>(diag.avaliacoes);
  state.counters["loglik"] = ll;
  state.counters["T"] = static_cast<double>(e.size());
}
BENCHMARK(BM_Garch11DemGbp)->Unit(benchmark::kMillisecond);

// The fit the ARCH tool makes: the search, then its polish (the one to set beside fGarch).
void BM_Garch11DemGbpPolished(benchmark::State& state) {
  const auto e = DemGbp();
  AjusteArch fit;
  for (auto _ : state)
    benchmark::DoNotOptimize(fit = ajusta_arch(espec_arch(ModeloArch::Garch, 1, 1), e));
  state.counters["loglik"] = fit.LL;
  state.counters["polished"] = fit.polido ? 1 : 0;
}
BENCHMARK(BM_Garch11DemGbpPolished)->Unit(benchmark::kMillisecond);

// The same fit under Student's t and the GED (its Gaussian fit included): the ones to set beside
// fGarch's cond.dist = "std" and "ged".
void BM_Garch11DemGbpDistribution(benchmark::State& state) {
  const auto e = DemGbp();
  const auto dist = static_cast<DistribuicaoArch>(state.range(0));
  AjusteArch fit;
  for (auto _ : state)
    benchmark::DoNotOptimize(fit = ajusta_arch(espec_arch(ModeloArch::Garch, 1, 1, dist), e));
  state.counters["loglik"] = fit.LL;
  state.counters["nu"] = fit.theta.back();
}
BENCHMARK(BM_Garch11DemGbpDistribution)
    ->ArgName("dist")
    ->Arg(static_cast<int>(DistribuicaoArch::Student))
    ->Arg(static_cast<int>(DistribuicaoArch::Ged))
    ->Unit(benchmark::kMillisecond);

// One likelihood evaluation per iteration, per model and order (q, p), r = q for EGARCH and GJR;
// items are observations, so the reported rate gives the cost per observation.
void BM_LogLikelihood(benchmark::State& state) {
  const auto e = DemGbp();
  const auto model = static_cast<ModeloArch>(state.range(0));
  const int q = static_cast<int>(state.range(1)), p = static_cast<int>(state.range(2));
  const int r = model == ModeloArch::Egarch || model == ModeloArch::Gjr ? q : 0;
  std::vector<double> theta(static_cast<std::size_t>(1 + q + r + p));
  theta[0] = model == ModeloArch::Egarch ? -0.1 : 0.01;
  for (int i = 1; i <= q; ++i)
    theta[i] = 0.15 / q;
  for (int i = 1; i <= r; ++i)
    theta[q + i] = 0.05 / r;
  for (int j = 1; j <= p; ++j)
    theta[q + r + j] = 0.8 / p;
  for (auto _ : state)
    benchmark::DoNotOptimize(log_verossimilhanca(model, q, r, p, e, theta));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(e.size()));
}
BENCHMARK(BM_LogLikelihood)
    ->ArgNames({"model", "q", "p"})
    ->Args({1, 1, 1})
    ->Args({1, 1, 2})
    ->Args({3, 1, 1})
    ->Args({3, 2, 2})
    ->Args({4, 1, 1})
    ->Args({4, 1, 2});

// The ARCH tool's best-model search: the five models at every (q, p) with q, p <= 2 (ARCH with
// p = 0 only; not q = p = 0), 34 fits on the DAX log returns, on 1 thread and on every core
// (wall-clock time); per_fit is the wall time divided by the fits.
void BM_BestModelSearchDax(benchmark::State& state) {
  const auto e = DaxLogReturns();
  const auto candidates = candidatos_arch({true, true, true, true, true}, 3, 3);
  const auto threads = static_cast<unsigned>(state.range(0));
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ajusta_candidatos(candidates, e, threads, {}));
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["fits"] = static_cast<double>(candidates.size());
  state.counters["per_fit_ms"] = 1000 * seconds / static_cast<double>(candidates.size());
}
BENCHMARK(BM_BestModelSearchDax)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(std::max(1u, std::thread::hardware_concurrency()))
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

// The same search under each of the three distributions: 102 fits.
void BM_BestModelAllDistributionsDax(benchmark::State& state) {
  const auto e = DaxLogReturns();
  std::vector<EspecArch> candidates;
  for (const auto dist :
       {DistribuicaoArch::Normal, DistribuicaoArch::Student, DistribuicaoArch::Ged})
    for (EspecArch m : candidatos_arch({true, true, true, true, true}, 3, 3)) {
      m.dist = dist;
      candidates.push_back(m);
    }
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  for (auto _ : state)
    benchmark::DoNotOptimize(ajusta_candidatos(candidates, e, threads, {}));
  state.counters["fits"] = static_cast<double>(candidates.size());
}
BENCHMARK(BM_BestModelAllDistributionsDax)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(2)
    ->UseRealTime();

void BM_MelhorDecay(benchmark::State& state) {
  std::mt19937_64 rng(20000);
  std::normal_distribution<double> normal;
  std::vector<double> x(20000);
  double p = 1e6;
  for (double& v : x)
    v = p += 150 * normal(rng);
  int decays = 0;
  for (auto _ : state) {
    const auto r = melhor_decay(x, 0.0001, false);
    benchmark::DoNotOptimize(r);
    decays = r ? r->avaliados : 0;
  }
  state.counters["decays"] = decays;
}
BENCHMARK(BM_MelhorDecay)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
