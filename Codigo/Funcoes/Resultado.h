// How every routine of the numerical core reports: its result, or the reason it has none. Each
// algorithm names its reasons in an enum of its own (FalhaVarimax, FalhaRegressao, ...), so that
// a tool can choose its message by the reason and a trace can say why a run stopped. Nothing in
// the core throws: a reason is a value the caller must look at.
//
//   Resultado<Matriz, FalhaInversa> r = inversa(A);
//   if (!r) return Falhou{r.motivo()};
//   use(*r);
#pragma once

#include <utility>
#include <variant>

// The reason of a failure, on its way into a Resultado: `return
// Falhou{FalhaVarimax::NoConvergence};`
template <class Motivo> struct Falhou { Motivo motivo; };
template <class Motivo> Falhou(Motivo) -> Falhou<Motivo>;

template <class T, class Motivo> class [[nodiscard]] Resultado {
public:
  Resultado(T valor) : estado_(std::in_place_index<0>, std::move(valor)) {}
  Resultado(Falhou<Motivo> falha) : estado_(std::in_place_index<1>, std::move(falha.motivo)) {}

  bool ok() const { return estado_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The result; only when ok().
  T& operator*() & { return std::get<0>(estado_); }
  const T& operator*() const& { return std::get<0>(estado_); }
  T&& operator*() && { return std::get<0>(std::move(estado_)); }
  T* operator->() { return &std::get<0>(estado_); }
  const T* operator->() const { return &std::get<0>(estado_); }

  // The reason; only when !ok().
  const Motivo& motivo() const { return std::get<1>(estado_); }

private:
  std::variant<T, Motivo> estado_;
};

// A routine that gives nothing back but may fail.
template <class Motivo> class [[nodiscard]] Resultado<void, Motivo> {
public:
  Resultado() = default;
  Resultado(Falhou<Motivo> falha) : falhou_(true), motivo_(std::move(falha.motivo)) {}

  bool ok() const { return !falhou_; }
  explicit operator bool() const { return ok(); }
  const Motivo& motivo() const { return motivo_; }

private:
  bool falhou_ = false;
  Motivo motivo_{};
};
