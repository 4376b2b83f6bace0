// The full-matrix form of the eigen-decomposition: Householder reduction to upper Hessenberg
// form, the QR factorisation by reflectors, and the convergence test of the unshifted QR
// iteration A <- R Q for A = Q R. `autovalores` makes the same steps on the tridiagonal matrix;
// these keep the form it is defined by. The reflectors are those of Householder.h. Follows the
// conventions of Matriz.h.
#pragma once

#include "Matriz.h"

enum class FalhaMatrizCheia {
  NaoQuadrada // rows of another length than the number of rows
};

// H = P^T A P, upper Hessenberg (tridiagonal when A is symmetric), with P = P_0 P_1 .. P_{n-3}
// and P_k the identity but for the reflector of the column segment H(k+1 .. n-1, k) acting on
// rows and columns k+1 .. n-1. For n <= 2 no step is made: H = A and P is the identity of order n.
// A segment that is all zero is already reduced and left alone.
struct FormaHessenberg {
  Matriz H, P;
};
Resultado<FormaHessenberg, FalhaMatrizCheia> forma_de_hessenberg(const Matriz& A);
// The same into H and P; false, with both empty, when A is not square.
bool reduz_hessenberg(Matriz A, Matriz& H, Matriz& P);

// A = Q R with Q orthogonal and R upper triangular, from the reflectors H_k of the column
// segments (k .. n-1) of the partly reduced matrix, k = 0 .. n-2: R = H_{n-2} .. H_0 A and
// Q = H_0 .. H_{n-2}. R(k, k) = -sign(x0) |x| for the segment x of step k. For n = 1, Q = (1)
// and R = A.
struct FatoracaoQr {
  Matriz Q, R;
};
Resultado<FatoracaoQr, FalhaMatrizCheia> fatoracao_qr(const Matriz& A);
// The same into Q and R; false, with both empty, when A is not square.
bool decompoe_qr(Matriz A, Matriz& Q, Matriz& R);

// True when every element below the diagonal lies in [-t, t]. An element that is not a number
// passes (it fails neither comparison).
bool convergiu(const Matriz& A, double t);
