// The multivariate core on the inputs of the principal and independent component tools: the
// eigen-decomposition (`decomposicao_espectral`, under `autovalores`) on correlation matrices of
// p = 20 .. 200 variables, and the FastICA separation (`separa_componentes`, under `fastica`) on
// 5 signals of 100,000 observations whitened as the ICA tool whitens them.
//
// The inputs come from a fixed generator, so every run times the same matrices; with
// --write-inputs=DIR they are also written to DIR (raw little-endian doubles after two int64
// dimensions), where bench/numpy_multivariate.py times numpy.linalg.eigh and scikit-learn's
// FastICA on exactly the same numbers.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "Funcoes/AnaliseParalela.h"
#include "Funcoes/Autovalores.h"
#include "Funcoes/Fastica.h"
#include "Funcoes/Matriz.h"

namespace {
// A 64-bit LCG and Box-Muller: the same numbers on every platform and library.
struct Random {
  std::uint64_t state;
  explicit Random(std::uint64_t seed) : state(seed) {}
  double Uniform() { // in (0, 1)
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (static_cast<double>(state >> 11) + 0.5) * 0x1.0p-53;
  }
  double Normal() {
    return std::sqrt(-2 * std::log(Uniform())) * std::cos(2 * std::numbers::pi * Uniform());
  }
};

enum class Family { Random, OneFactor, Independent };
const char* Name(Family f) {
  switch (f) {
  case Family::Random: return "random";
  case Family::OneFactor: return "one_factor";
  case Family::Independent: return "independent";
  }
  return "";
}

// Data behind the correlation matrices: normal variables over 10 p observations; one factor
// with loadings between 0.4 and 0.9 plus noise over 10 p; independent heavy-tailed variables
// (a normal over the root of an exponential) over 50 p, whose correlations crowd the
// eigenvalues around 1 and make the unshifted iteration slowest.
Matriz Correlation(Family family, std::size_t p) {
  Random random(1000 + 10 * p + static_cast<std::uint64_t>(family));
  const std::size_t n = (family == Family::Independent ? 50 : 10) * p;
  std::vector<double> loading(p);
  for (double& l : loading)
    l = 0.4 + 0.5 * random.Uniform();
  Matriz x(n, std::vector<double>(p));
  for (auto& row : x) {
    const double factor = random.Normal();
    for (std::size_t j = 0; j < p; ++j) {
      switch (family) {
      case Family::Random: row[j] = random.Normal(); break;
      case Family::OneFactor: row[j] = loading[j] * factor + 0.6 * random.Normal(); break;
      case Family::Independent:
        row[j] = random.Normal() / std::sqrt(-std::log(random.Uniform()) + 0.1);
        break;
      }
    }
  }
  Matriz r;
  std::vector<double> means, sd;
  correlacoes(x, r, means, sd);
  return r;
}

// Five independent signals (uniform, Laplace, a sine, a square wave, a skewed one) over n
// observations, mixed, centred and whitened: Z = D^-1/2 E^T Xc^T with Cv = E D E^T.
struct WhitenedSignals {
  Matriz z, wh, dw;
};
WhitenedSignals Signals(std::size_t n) {
  Random random(77);
  const std::size_t d = 5;
  Matriz x(n, std::vector<double>(d));
  for (std::size_t t = 0; t < n; ++t) {
    const double u = random.Uniform() - 0.5;
    const double s[5] = {
        2 * random.Uniform() - 1, (u < 0 ? 1 : -1) * std::log(1 - 2 * std::fabs(u)),
        std::sin(static_cast<double>(t) / 7.0),
        std::sin(static_cast<double>(t) / 23.0) < 0 ? -1.0 : 1.0, -std::log(random.Uniform())};
    for (std::size_t r = 0; r < d; ++r) {
      double v = 0;
      for (std::size_t c = 0; c < d; ++c)
        v += ((r == c ? 2.0 : 0.0) + std::sin(1.0 + static_cast<double>(3 * r + c))) * s[c];
      x[t][r] = v;
    }
  }
  Matriz cv, e, xt;
  std::vector<double> means, sd, lambda;
  covariancias(x, cv, means, sd);
  autovalores(cv, lambda, e);
  for (auto& row : x)
    for (std::size_t j = 0; j < d; ++j)
      row[j] -= means[j];
  Matriz inv_root(d, std::vector<double>(d, 0.0)), root = inv_root, et;
  for (std::size_t j = 0; j < d; ++j) {
    inv_root[j][j] = std::sqrt(1 / lambda[j]);
    root[j][j] = std::sqrt(lambda[j]);
  }
  WhitenedSignals w;
  transpoe(e, et);
  multiplica(inv_root, et, w.wh);
  multiplica(e, root, w.dw);
  transpoe(x, xt);
  multiplica(w.wh, xt, w.z);
  return w;
}

constexpr Family kFamilies[] = {Family::Random, Family::OneFactor, Family::Independent};
constexpr std::size_t kSizes[] = {20, 50, 100, 200};
constexpr std::size_t kObservations = 100000;

void Eigen(benchmark::State& state, Family family, std::size_t p) {
  const Matriz r = Correlation(family, p);
  std::uint64_t steps = 0;
  for (auto _ : state) {
    const auto spectrum = decomposicao_espectral(r);
    if (!spectrum) {
      state.SkipWithError(descricao(spectrum.motivo().motivo));
      break;
    }
    steps = spectrum->passos_qr;
    benchmark::DoNotOptimize(spectrum->vetores.data());
  }
  state.counters["qr_steps"] = static_cast<double>(steps);
}

void Ica(benchmark::State& state) {
  const WhitenedSignals w = Signals(kObservations);
  double iterations = 0;
  for (auto _ : state) {
    const auto separation = separa_componentes(w.z, w.wh, w.dw, 5);
    if (!separation) {
      state.SkipWithError(descricao(separation.motivo()));
      break;
    }
    iterations = 0;
    for (const auto& c : separation->componentes)
      iterations += c.iteracoes;
    benchmark::DoNotOptimize(separation->mixing.data());
  }
  state.counters["iterations"] = iterations;
}

// The parallel analysis alone for p = 100: its cost does not depend on n.
void Parallel(benchmark::State& state) {
  std::vector<double> lambda(100, 1.0);
  for (auto _ : state) {
    const auto pa = analise_paralela(static_cast<std::size_t>(state.range(0)), lambda);
    if (!pa) {
      state.SkipWithError(descricao(pa.motivo()));
      break;
    }
    benchmark::DoNotOptimize(pa->percentil95.data());
  }
}

void Write(const std::string& path, const Matriz& a) {
  std::ofstream out(path, std::ios::binary);
  const std::int64_t shape[2] = {static_cast<std::int64_t>(Rows(a)),
                                 static_cast<std::int64_t>(Columns(a))};
  out.write(reinterpret_cast<const char*>(shape), sizeof shape);
  for (const auto& row : a)
    out.write(reinterpret_cast<const char*>(row.data()),
              static_cast<std::streamsize>(row.size() * sizeof(double)));
}
} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const std::string flag = "--write-inputs=";
    if (arg.rfind(flag, 0) != 0) continue;
    const std::string dir = arg.substr(flag.size());
    for (Family f : kFamilies)
      for (std::size_t p : kSizes)
        Write(dir + "/eigen_" + Name(f) + "_" + std::to_string(p) + ".bin", Correlation(f, p));
    const WhitenedSignals w = Signals(kObservations);
    Write(dir + "/ica_z.bin", w.z);
  }
  for (Family f : kFamilies)
    for (std::size_t p : kSizes)
      benchmark::RegisterBenchmark(
          ("autovalores/" + std::string(Name(f)) + "/" + std::to_string(p)).c_str(),
          [f, p](benchmark::State& s) { Eigen(s, f, p); })
          ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("fastica/5x100000", Ica)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("analise_paralela/100", Parallel)
      ->Arg(200)
      ->Arg(20000)
      ->Arg(1000000)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
