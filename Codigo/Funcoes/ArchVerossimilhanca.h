// The ARCH-family likelihood on one series, prepared once for the many evaluations of a search.
// Used by ArchModelos.cpp; the public functions are in ArchModelos.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ArchModelos.h"

class VerossimilhancaArch {
public:
  // e must outlive the object. r is taken as 0 for ARCH, GARCH and IGARCH.
  VerossimilhancaArch(ModeloArch modelo, int q, int r, int p, const std::vector<double>& e);

  // ll[c] = log_verossimilhanca of *thetas[c], c < count, to the last bit.
  void operator()(const std::vector<double>* const* thetas, std::size_t count, double* ll) const;

  // The series and what every evaluation takes from it.
  struct Series {
    std::size_t n;
    const double* e;
    std::vector<double> e2;         // e(t)^2 (not for EGARCH)
    std::vector<std::uint64_t> bad; // all ones where e(t) < 0 (GJR only)
    bool has_mean_square;           // EGARCH and GJR always start from mean(e^2)
    double mean_square;
  };

private:
  ModeloArch modelo_;
  int q_, r_, p_;
  Series serie_;
};
