// The worksheet functions as Excel calls them, with the argument kinds of their type texts:
// P value records, A Booleans and I integers as shorts, B doubles.
#pragma once

#include "xll/callconv.h"
#include "xll/xlcall.h"

KV_ENTRY(LPXLOPER) skew(LPXLOPER dados, short retornos, short amostragem, short tipo, short faixas);
KV_ENTRY(LPXLOPER) kurt(LPXLOPER dados, short retornos, short amostragem);
KV_ENTRY(LPXLOPER) interpol(short dias, LPXLOPER curva, double anos_flat);
KV_ENTRY(LPXLOPER) cspline(short dias, LPXLOPER curva);
KV_ENTRY(LPXLOPER) ewv(LPXLOPER dados, double decay, short ordem, short retornos, short media_nula);
