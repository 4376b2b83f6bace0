// The five worksheet functions Excel calls during recalculation, each written once over the
// record kind and exported for both interfaces. Each returns its own static result record, which
// Excel copies at once; KV.EWV's array goes back through xlAutoFree (xlAutoFree12).
// No exception crosses into Excel: a failure while computing gives #NULL! (Guarded).
#include "FuncoesPlanilha.h"

#include <cmath>
#include <cstdlib>

#include "Funcoes/CurvaJuros.h"
#include "Funcoes/Estatistica.h"
#include "Funcoes/Ewv.h"
#include "Funcoes/Retornos.h"
#include "LeituraFaixa.h"
#include "xll/Firewall.h"
#include "xll/callconv.h"
#include "xll/xlcall.h"

namespace {
// Each function's own result record, one of each kind.
template <class Oper> struct Records {
  static inline Oper skew{}, kurt{}, interpol{}, cspline{}, ewv{};
};

template <class Oper> Oper* Error(Oper& record, std::uint16_t code) {
  record.xltype = xltypeErr;
  record.val.err = code;
  return &record;
}

// What a function answers when its computation failed: #NULL! in its own record.
template <class Oper> auto NullAnswer(Oper& record) {
  return [&record] { return Error(record, xlerrNull); };
}

// A number, or #NUM! when the arithmetic overflowed or had no value: what Excel would show.
template <class Oper> void SetNumber(Oper& record, double value) {
  if (!std::isfinite(value)) {
    record.xltype = xltypeErr;
    record.val.err = xlerrNum;
    return;
  }
  record.xltype = xltypeNum;
  record.val.num = value;
}

template <class Oper> Oper* Number(Oper& record, double value) {
  SetNumber(record, value);
  return &record;
}

template <class Oper> Oper* Statistic(Oper& record, const StatValue& result) {
  if (result) return Number(record, *result);
  switch (result.motivo()) {
  case StatFailure::ZeroDispersion: return Error(record, xlerrDiv0); // as Excel's SKEW and KURT
  default: return Error(record, xlerrNA);
  }
}

Dispersion DispersionOf(short amostragem) {
  return amostragem != 0 ? Dispersion::Population : Dispersion::Sample;
}

// Reads the data (and turns prices into simple returns); nothing when too few values remain.
template <class Oper>
std::optional<std::vector<double>> ReadSeries(const Oper* dados, short retornos,
                                              std::size_t minimum) {
  auto data = ReadDataRange(dados, minimum);
  if (!data) return std::nullopt;
  if (retornos != 0) {
    *data = ::retornos(std::move(*data), TipoRetorno::Simples, OrdemDados::MaisAntigosPrimeiro);
    if (data->size() < minimum) return std::nullopt;
  }
  return data;
}

template <class Oper>
Oper* Skew(const char* name, Oper* dados, short retornos, short amostragem, short tipo,
           short faixas) {
  Oper& record = Records<Oper>::skew;
  return Guarded(name, NullAnswer(record), [&] {
    auto data = ReadSeries(dados, retornos, 3);
    if (!data) return Error(record, xlerrNA);
    return Statistic(
        record, Skewness(std::move(*data), DispersionOf(amostragem), SkewFormOf(tipo), faixas));
  });
}

template <class Oper> Oper* Kurt(const char* name, Oper* dados, short retornos, short amostragem) {
  Oper& record = Records<Oper>::kurt;
  return Guarded(name, NullAnswer(record), [&] {
    auto data = ReadSeries(dados, retornos, 4);
    if (!data) return Error(record, xlerrNA);
    return Statistic(record, Kurtosis(*data, DispersionOf(amostragem)));
  });
}

template <class Oper> Oper* Interpol(const char* name, short dias, Oper* curva, double anos_flat) {
  Oper& record = Records<Oper>::interpol;
  return Guarded(name, NullAnswer(record), [&] {
    if (dias < 1) return Error(record, xlerrNA);
    auto curve = ReadYieldCurve(curva);
    if (!curve) return Error(record, xlerrNA);
    // Beyond the last vertex the extrapolation needs three vertices and a horizon of at
    // least 0 years.
    if (dias > curve->back().days && (anos_flat < 0 || curve->size() < 3))
      return Error(record, xlerrNA);
    return Number(record, InterpolateExponential(dias, std::move(*curve), anos_flat));
  });
}

template <class Oper> Oper* Cspline(const char* name, short dias, Oper* curva) {
  Oper& record = Records<Oper>::cspline;
  return Guarded(name, NullAnswer(record), [&] {
    if (dias < 1) return Error(record, xlerrNA);
    auto curve = ReadYieldCurve(curva);
    if (!curve) return Error(record, xlerrNA);
    return Number(record, InterpolateCubicSpline(dias, std::move(*curve)));
  });
}

// Volatility, mean and tolerance in a 3 x 1 array that Excel gives back through xlAutoFree
// (xlAutoFree12 for an Excel 12 record).
template <class Oper>
Oper* Ewv(const char* name, Oper* dados, double decay, short ordem, short retornos,
          short media_nula) {
  Oper& record = Records<Oper>::ewv;
  return Guarded(name, NullAnswer(record), [&] {
    if (!(decay > 0 && decay < 1)) return Error(record, xlerrNA);
    auto data = ReadDataRange(dados, 3);
    if (!data) return Error(record, xlerrNA);
    const auto result = ExponentiallyWeightedVolatility(std::move(*data), decay, ordem != 0,
                                                        EwvSeriesOf(retornos), media_nula != 0);
    if (!result) return Error(record, xlerrNA);
    auto* cells = static_cast<Oper*>(std::malloc(3 * sizeof(Oper)));
    if (cells == nullptr) return Error(record, xlerrNull);
    const double values[3] = {result->volatility, result->mean, result->tolerance};
    for (int i = 0; i < 3; ++i) {
      cells[i] = Oper{};
      SetNumber(cells[i], values[i]);
    }
    record.xltype = xltypeMulti | xlbitDLLFree;
    record.val.array.lparray = cells;
    record.val.array.rows = 3;
    record.val.array.columns = 1;
    return &record;
  });
}
} // namespace

// KV.SKEW(Dados, Retornos, Amostragem, Tipo, Faixas)
KV_ENTRY(LPXLOPER)
skew(LPXLOPER dados, short retornos, short amostragem, short tipo, short faixas) {
  return Skew("skew", dados, retornos, amostragem, tipo, faixas);
}
KV_ENTRY(LPXLOPER12)
skew12(LPXLOPER12 dados, short retornos, short amostragem, short tipo, short faixas) {
  return Skew("skew12", dados, retornos, amostragem, tipo, faixas);
}

// KV.KURT(Dados, Retornos, Amostragem)
KV_ENTRY(LPXLOPER) kurt(LPXLOPER dados, short retornos, short amostragem) {
  return Kurt("kurt", dados, retornos, amostragem);
}
KV_ENTRY(LPXLOPER12) kurt12(LPXLOPER12 dados, short retornos, short amostragem) {
  return Kurt("kurt12", dados, retornos, amostragem);
}

// KV.INTERPOLEX(Dias Úteis, Curva de Juros, Anos Flat)
KV_ENTRY(LPXLOPER) interpol(short dias, LPXLOPER curva, double anos_flat) {
  return Interpol("interpol", dias, curva, anos_flat);
}
KV_ENTRY(LPXLOPER12) interpol12(short dias, LPXLOPER12 curva, double anos_flat) {
  return Interpol("interpol12", dias, curva, anos_flat);
}

// KV.CSPLINE(Dias Úteis, Curva de Juros)
KV_ENTRY(LPXLOPER) cspline(short dias, LPXLOPER curva) {
  return Cspline("cspline", dias, curva);
}
KV_ENTRY(LPXLOPER12) cspline12(short dias, LPXLOPER12 curva) {
  return Cspline("cspline12", dias, curva);
}

// KV.EWV(Dados, Decay, Ordem, Retornos, Média Nula)
KV_ENTRY(LPXLOPER)
ewv(LPXLOPER dados, double decay, short ordem, short retornos, short media_nula) {
  return Ewv("ewv", dados, decay, ordem, retornos, media_nula);
}
KV_ENTRY(LPXLOPER12)
ewv12(LPXLOPER12 dados, double decay, short ordem, short retornos, short media_nula) {
  return Ewv("ewv12", dados, decay, ordem, retornos, media_nula);
}
