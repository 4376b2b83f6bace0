#include "MelhorArch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>

std::vector<EspecArch> candidatos_arch(const std::array<bool, 5>& modelos, int qmax, int pmax) {
  std::vector<EspecArch> list;
  for (int code = 0; code < 5; ++code) {
    if (!modelos[static_cast<std::size_t>(code)]) continue;
    const auto modelo = static_cast<ModeloArch>(code);
    const int p_end = modelo == ModeloArch::Arch ? 1 : pmax;
    for (int p = 0; p < p_end; ++p)
      for (int q = 0; q < qmax; ++q)
        if (q != 0 || p != 0) list.push_back(espec_arch(modelo, q, p));
  }
  return list;
}

namespace {
// The order in which the threads take the candidates: the costliest first (more parameters,
// EGARCH with its exponentials before the others), so that no long fit starts last and keeps
// one core busy alone at the end.
std::vector<std::size_t> WorkOrder(const std::vector<EspecArch>& candidatos) {
  std::vector<std::size_t> order(candidatos.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  auto cost = [&](std::size_t i) {
    const EspecArch& m = candidatos[i];
    return 2 * m.k() + (m.modelo == ModeloArch::Egarch ? 1 : 0);
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return cost(a) > cost(b); });
  return order;
}

// The fits that have ended, handed from the threads to the caller.
class Finished {
public:
  void Push(std::size_t index) {
    {
      std::lock_guard lock(mutex_);
      ended_.push_back(index);
    }
    changed_.notify_one();
  }
  // Keeps the first error; the threads take no more candidates.
  void Fail(std::exception_ptr error) {
    {
      std::lock_guard lock(mutex_);
      if (!error_) error_ = error;
      stop_ = true;
    }
    changed_.notify_one();
  }
  // The next fit that ended, or none once a thread failed.
  std::optional<std::size_t> Next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stop_ || taken_ < ended_.size(); });
    if (stop_) return std::nullopt;
    return ended_[taken_++];
  }
  bool Stopped() {
    std::lock_guard lock(mutex_);
    return stop_;
  }
  std::exception_ptr Error() {
    std::lock_guard lock(mutex_);
    return error_;
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::size_t> ended_;
  std::size_t taken_ = 0;
  bool stop_ = false;
  std::exception_ptr error_;
};
} // namespace

std::vector<AjusteArch> ajusta_candidatos(const std::vector<EspecArch>& candidatos,
                                          const std::vector<double>& e, unsigned threads,
                                          const ProgressoArch& progresso) {
  const std::size_t n = candidatos.size();
  std::vector<AjusteArch> fits(n);
  if (n == 0) return fits;
  const std::vector<std::size_t> order = WorkOrder(candidatos);
  const auto memory = memoria_polimento_arch();
  std::atomic<std::size_t> next{0};
  Finished finished;

  auto work = [&] {
    try {
      for (std::size_t i; !finished.Stopped() && (i = next.fetch_add(1)) < n;) {
        fits[order[i]] = ajusta_arch(candidatos[order[i]], e, memory);
        finished.Push(order[i]);
      }
    } catch (...) {
      finished.Fail(std::current_exception());
    }
  };
  std::vector<std::thread> pool;
  const std::size_t count = std::clamp<std::size_t>(threads, 1, n);
  try {
    for (std::size_t t = 0; t < count; ++t)
      pool.emplace_back(work);
    for (std::size_t done = 1; done <= n; ++done) {
      const std::optional<std::size_t> index = finished.Next();
      if (!index) break;
      if (progresso) progresso(done, candidatos[*index]);
    }
  } catch (...) {
    finished.Fail(std::current_exception());
  }
  for (std::thread& thread : pool)
    thread.join();
  if (std::exception_ptr error = finished.Error()) std::rethrow_exception(error);
  return fits;
}

Resultado<std::size_t, FalhaMelhorAjuste> melhor_ajuste(const std::vector<AjusteArch>& ajustes,
                                                        std::size_t T, CriterioArch criterio) {
  std::optional<std::size_t> best;
  double best_value = 0;
  for (std::size_t i = 0; i < ajustes.size(); ++i) {
    const AjusteArch& fit = ajustes[i];
    // EGARCH's mark of a variance that reached 0 is no likelihood to compare.
    if (!fit.convergiu() || !std::isfinite(fit.LL) || !(fit.LL > kSentinelaArch)) continue;
    const CriteriosArch c = criterios_arch(fit.LL, T, fit.espec.k());
    std::optional<double> value;
    switch (criterio) {
    case CriterioArch::Aic: value = c.aic; break;
    case CriterioArch::Aicc: value = c.aicc; break;
    case CriterioArch::Bic: value = c.bic; break;
    }
    if (!value || !std::isfinite(*value)) continue;
    if (!best || *value < best_value) {
      best = i;
      best_value = *value;
    }
  }
  if (!best) return Falhou{FalhaMelhorAjuste::NoneQualifies};
  return *best;
}
