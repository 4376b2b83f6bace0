// The numbers of a principal component analysis on a correlation matrix that do not depend on
// how they are laid out: the eigenvalue table, the factor selection, the loadings, the
// communalities and the variances the (rotated) factors explain. Plain C++ on vectors and
// Matriz; the eigen-decomposition and the rotation are `autovalores` and `varimax`.
#pragma once

#include <cstddef>
#include <vector>

#include "Matriz.h"

// The rows of the eigenvalue table, for eigenvalues lambda(1..p) in the order given.
struct TabelaAutovalores {
  std::vector<double> diferencas; // lambda(j) - lambda(j + 1), j = 1 .. p - 1
  std::vector<double> proporcoes; // lambda(j) / total
  std::vector<double> acumuladas; // (lambda(1) + .. + lambda(j)) / total
  double total = 0;               // the sum of all eigenvalues
};
TabelaAutovalores tabela_autovalores(const std::vector<double>& lambda);

// Kaiser's criterion: the number of leading eigenvalues greater than 1.0, counted up to the
// first one that is not (exclusive). 0 when the first is not above 1.0; p when all are.
std::size_t fatores_kaiser(const std::vector<double>& lambda);

// The proportion criterion: the position (from 1) of the first factor whose cumulative
// proportion reaches 0.01 * pct; equality retains it. When rounding keeps every cumulative
// proportion below (a percentage near 100), all the factors are retained.
std::size_t fatores_proporcao(const std::vector<double>& acumuladas, double pct);

// Loadings L(i, j) = V(i, j) sqrt(lambda(j)) of the first k factors: p x k. Empty when k is 0.
Matriz cargas(const std::vector<double>& lambda, const Matriz& V, std::size_t k);

// The communality of each variable: the sum of the squares of its row of loadings.
std::vector<double> comunalidades(const Matriz& L);

// The variance each factor explains: the sum of the squares of its column of loadings.
std::vector<double> variancias_explicadas(const Matriz& L);

// Whether A can be taken as a correlation matrix: square, symmetric and with ones on the
// diagonal, each within `tolerancia`.
bool e_matriz_de_correlacoes(const Matriz& A, double tolerancia = 1e-9);

// Unit-variance scores of the first k components for the n x p data X: each observation
// standardised with the given means and standard deviations, z(m) = (x(m) - mean(m)) / sd(m),
// then F(i, j) = sum_m z(m) V(m, j) / sqrt(lambda(j)). n x k.
Matriz escores_componentes(const Matriz& X, const std::vector<double>& medias,
                           const std::vector<double>& desvios, const std::vector<double>& lambda,
                           const Matriz& V, std::size_t k);
