// The five worksheet functions Excel calls during recalculation. Each returns its own static
// result record, which Excel copies at once; KV.EWV's array goes back through xlAutoFree.
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
XLOPER SkewRecord, KurtRecord, InterpolRecord, CsplineRecord, EwvRecord;

LPXLOPER Error(XLOPER& record, std::uint16_t code) {
  record.xltype = xltypeErr;
  record.val.err = code;
  return &record;
}

// What a function answers when its computation failed: #NULL! in its own record.
auto NullAnswer(XLOPER& record) {
  return [&record] { return Error(record, xlerrNull); };
}

// A number, or #NUM! when the arithmetic overflowed or had no value: what Excel would show.
void SetNumber(XLOPER& record, double value) {
  if (!std::isfinite(value)) {
    record.xltype = xltypeErr;
    record.val.err = xlerrNum;
    return;
  }
  record.xltype = xltypeNum;
  record.val.num = value;
}

LPXLOPER Number(XLOPER& record, double value) {
  SetNumber(record, value);
  return &record;
}

LPXLOPER Statistic(XLOPER& record, const StatValue& result) {
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
std::optional<std::vector<double>> ReadSeries(LPXLOPER dados, short retornos, std::size_t minimum) {
  auto data = ReadDataRange(dados, minimum);
  if (!data) return std::nullopt;
  if (retornos != 0) {
    *data = ::retornos(std::move(*data), TipoRetorno::Simples, OrdemDados::MaisAntigosPrimeiro);
    if (data->size() < minimum) return std::nullopt;
  }
  return data;
}
} // namespace

// KV.SKEW(Dados, Retornos, Amostragem, Tipo, Faixas)
KV_ENTRY(LPXLOPER)
skew(LPXLOPER dados, short retornos, short amostragem, short tipo, short faixas) {
  return Guarded("skew", NullAnswer(SkewRecord), [&] {
    auto data = ReadSeries(dados, retornos, 3);
    if (!data) return Error(SkewRecord, xlerrNA);
    return Statistic(
        SkewRecord, Skewness(std::move(*data), DispersionOf(amostragem), SkewFormOf(tipo), faixas));
  });
}

// KV.KURT(Dados, Retornos, Amostragem)
KV_ENTRY(LPXLOPER) kurt(LPXLOPER dados, short retornos, short amostragem) {
  return Guarded("kurt", NullAnswer(KurtRecord), [&] {
    auto data = ReadSeries(dados, retornos, 4);
    if (!data) return Error(KurtRecord, xlerrNA);
    return Statistic(KurtRecord, Kurtosis(*data, DispersionOf(amostragem)));
  });
}

// KV.INTERPOLEX(Dias Úteis, Curva de Juros, Anos Flat)
KV_ENTRY(LPXLOPER) interpol(short dias, LPXLOPER curva, double anos_flat) {
  return Guarded("interpol", NullAnswer(InterpolRecord), [&] {
    if (dias < 1) return Error(InterpolRecord, xlerrNA);
    auto curve = ReadYieldCurve(curva);
    if (!curve) return Error(InterpolRecord, xlerrNA);
    // Beyond the last vertex the extrapolation needs three vertices and a horizon of at
    // least 0 years.
    if (dias > curve->back().days && (anos_flat < 0 || curve->size() < 3))
      return Error(InterpolRecord, xlerrNA);
    return Number(InterpolRecord, InterpolateExponential(dias, std::move(*curve), anos_flat));
  });
}

// KV.CSPLINE(Dias Úteis, Curva de Juros)
KV_ENTRY(LPXLOPER) cspline(short dias, LPXLOPER curva) {
  return Guarded("cspline", NullAnswer(CsplineRecord), [&] {
    if (dias < 1) return Error(CsplineRecord, xlerrNA);
    auto curve = ReadYieldCurve(curva);
    if (!curve) return Error(CsplineRecord, xlerrNA);
    return Number(CsplineRecord, InterpolateCubicSpline(dias, std::move(*curve)));
  });
}

// KV.EWV(Dados, Decay, Ordem, Retornos, Média Nula): volatility, mean and tolerance in a
// 3 × 1 array.
KV_ENTRY(LPXLOPER)
ewv(LPXLOPER dados, double decay, short ordem, short retornos, short media_nula) {
  return Guarded("ewv", NullAnswer(EwvRecord), [&] {
    if (!(decay > 0 && decay < 1)) return Error(EwvRecord, xlerrNA);
    auto data = ReadDataRange(dados, 3);
    if (!data) return Error(EwvRecord, xlerrNA);
    const auto result = ExponentiallyWeightedVolatility(std::move(*data), decay, ordem != 0,
                                                        EwvSeriesOf(retornos), media_nula != 0);
    if (!result) return Error(EwvRecord, xlerrNA);
    auto* cells = static_cast<LPXLOPER>(std::malloc(3 * sizeof(XLOPER)));
    if (cells == nullptr) return Error(EwvRecord, xlerrNull);
    const double values[3] = {result->volatility, result->mean, result->tolerance};
    for (int i = 0; i < 3; ++i) {
      cells[i] = XLOPER{};
      SetNumber(cells[i], values[i]);
    }
    EwvRecord.xltype = xltypeMulti | xlbitDLLFree;
    EwvRecord.val.array.lparray = cells;
    EwvRecord.val.array.rows = 3;
    EwvRecord.val.array.columns = 1;
    return &EwvRecord;
  });
}
